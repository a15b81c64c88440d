// Who made a private working folder. A run that is killed cannot remove its working folder; the next
// run can, once it knows that the process that made the folder is gone. A marker file inside the
// folder names that process by its id and its start time, so that a reused process id is not taken
// for the creator still running.
#pragma once

#include <boost/filesystem/path.hpp>

#include <system_error>

namespace platform::kernel {

// The marker's file name inside a folder.
inline constexpr const char* folder_creator_marker = ".creator";

// Writes the marker naming this process into `folder`, exclusively and never through a symbolic link.
std::error_code mark_folder_creator(const boost::filesystem::path& folder);

// True only when `folder` is a real folder (not a link) owned by this process's user, private to it
// (no access for group or others), holding a marker whose process no longer runs. False for anything
// else, so that a caller removes nothing it did not make.
bool folder_creator_has_ended(const boost::filesystem::path& folder);

}  // namespace platform::kernel
