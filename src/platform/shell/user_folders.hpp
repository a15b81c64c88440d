// Whether a path lies in the folders that belong to the user the installer works for: the home
// folder, the XDG data and configuration folders and the documents and desktop folders, wherever
// user-dirs.dirs puts them. What is written there is written with the user's rights
// (platform::system::user_file_rights).
//
// The comparison is lexical, on absolute paths cleared of "." and ".."; it follows no link, so a
// link planted inside those folders is met by the user's rights, not by root's. Never fails.
#pragma once

#include <boost/filesystem/path.hpp>

namespace platform::shell {

bool in_user_folders(const boost::filesystem::path& path);

}  // namespace platform::shell
