// The running program's own file, as the kernel knows it (/proc/self/exe), and whether an account
// other than a given user and root could swap it. Before the installer starts itself again with
// more rights, it must know that the file it names is the one the user started and that no one else
// can replace it before the new process opens it.
//
// Failure modes: running_program_file gives nothing when the link cannot be read, when the file has
// been removed or replaced since it started, or when its name no longer leads to it;
// replaceable_by_others names the first item it cannot vouch for (or cannot read) as its reason.
#pragma once

#include "platform/kernel/folder_listing.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace platform::kernel {

struct program_file {
    boost::filesystem::path path;
    file_identity identity;
};

std::optional<program_file> running_program_file();

// The identity of the file this process runs, whatever has happened to its name since.
std::optional<file_identity> running_program_identity();

// Empty when only `uid` and root can change `file` and every folder above it; otherwise why not. A
// folder that others may write is accepted when it is sticky and the item in it belongs to `uid` or
// root, as then only they (and the folder's owner, who must be one of them too) may rename or
// remove that item. Group write counts as others' unless the group is root's.
std::string replaceable_by_others(const boost::filesystem::path& file, std::uint32_t uid);

}  // namespace platform::kernel
