// Folder tokens: the first element of an entry's folder text ("<InstallPath>", "<CommonData>", ...)
// names a folder of this machine. Resolving a text also notes the shared folders the installation
// creates below the machine-wide data, documents and desktop folders, so that their access can be
// opened to the local Users group once they exist.
#pragma once

#include "payload/archive_target.hpp"

#include <boost/filesystem/path.hpp>

#include <string>

namespace payload {

// The real folder for a folder text. "\" and "/" both separate elements. The first element must be
// a known token (compared exactly) that names an absolute folder; compress error 7 otherwise, when a
// shell folder cannot be obtained, and when the text climbs above its base with "..": a payload names
// its places through tokens only, and an archive must never reach an arbitrary place of the machine.
boost::filesystem::path resolve_folder(const std::string& folder_text, const archive_folders& folders,
                                       access_folder_list& access);

// A shell special folder by its CSIDL value, else (when use_fallback is set) by the fallback value.
// Compress error 7 when neither gives a folder. Never creates the folder.
boost::filesystem::path shell_folder(int csidl, int fallback_csidl, bool use_fallback);

// Appends the folder unless an entry of the list already denotes the same folder.
void record_access_folder(const boost::filesystem::path& folder, access_folder_list& access);

// Whether two paths denote the same folder: equal element by element, else the same existing
// object, else (neither exists) equal once made absolute and cleared of "." and "..". Names are
// compared exactly, as this file system does: folders differing in case are different folders.
bool same_folder(const boost::filesystem::path& a, const boost::filesystem::path& b) noexcept;

}  // namespace payload
