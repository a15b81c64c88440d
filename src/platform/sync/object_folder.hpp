// The folder that holds the named objects' files, and what is done with anything else found at an
// object's name. Both live where every account may create files (R/run/lock is sticky and writable by
// all, and so is the objects folder), so nothing found there is trusted for what its name says:
//
// - R/run/lock is the system's; where it is missing (a fresh system root), it is made like the
//   system's: sticky and writable by all.
// - The objects folder is opened without following a link. Anything else at its name (a link, a
//   FIFO, a file) is taken away, and a folder another account made is taken over by root (owner
//   root, sticky, writable by all), so that its maker keeps no right over other accounts' files.
// - At an object's name only a regular file with one link can be an object. Anything else is not
//   one: it is taken away, never opened, so a planted FIFO cannot block and a link cannot lead the
//   opener to another file.
//
// Failures throw object_error with the Windows code of the system's error; a foreign entry that
// this account may not remove gives error_access_denied.
#pragma once

#include "platform/kernel/unique_fd.hpp"
#include "platform/sync/object_namespace.hpp"

#include <sys/stat.h>

#include <boost/filesystem/path.hpp>

#include <string>

namespace platform::sync::detail {

using kernel::unique_fd;

// Throws object_error for errno.
[[noreturn]] void throw_errno();

// Opens the objects folder (objects_folder()), making it and R/run/lock as needed.
unique_fd open_objects_folder();

// Whether the entry can be an object's file: a regular file with one link.
bool may_be_object_file(const struct stat& info);

// Takes away what is at `name` in the folder, provided it is still the entry `found` describes
// (else leaves it: it changed meanwhile, and the caller looks again). A folder that is not empty is
// moved aside to a hidden name, which no object's file name can be.
// folder_path only names the folder in the diagnostic log.
void take_away(int folder, const boost::filesystem::path& folder_path, const std::string& name,
               const struct stat& found);

}  // namespace platform::sync::detail
