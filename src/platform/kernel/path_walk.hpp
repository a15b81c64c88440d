// Resolving a path to open descriptors without being led astray by other accounts. The installer
// runs as root over folders that other users may write (shared data, their desktops, the temporary
// folder); a symbolic link planted there must not carry root's writes, access changes or deletions
// into another folder. So every file operation of the platform layer first walks its path by
// descriptor and then acts relative to the folder it holds open (openat, mkdirat, unlinkat,
// renameat), never by a name that could be swapped in between.
//
// The rule of the walk: a symbolic link is followed only where nobody but root and this process's
// own account (or the account whose file-system rights the thread has taken) could have put it, that is in a folder no other account may write, or in a sticky
// folder (such as /tmp) when the link itself belongs to root or to this account, since the kernel
// lets no one else replace it there. Any other link on the way fails the walk with ELOOP (which
// the Win32 codes call ERROR_CANT_RESOLVE_FILENAME). Links in the system's own folders
// (/var/run, /lib) are still followed.
//
// The functions return 0 or an errno value, so that the security library, which carries its own
// copy of this unit, can map them to its codes.
#pragma once

#include "platform/kernel/unique_fd.hpp"

#include <sys/stat.h>

#include <boost/filesystem/path.hpp>

#include <string>

namespace platform::kernel {

// Whether an account other than root and this process's own may add, remove or rename the entries
// of this folder: another owner, or write access for its group or for everyone (a POSIX ACL that
// grants write to a group shows in the group bits).
bool others_may_write(const struct stat& folder);

enum class last_link { follow, keep };

// Opens `path` (absolute, or relative to the working folder) as an O_PATH descriptor. With
// last_link::keep a symbolic link at the last element is opened itself; with follow it is followed
// under the rule above.
int walk_path(const boost::filesystem::path& path, last_link last, unique_fd& opened);

// The folder that holds a path's last element, held open, and that element's name: the place every
// operation on the item is made. `shared` says that other accounts may write the folder, where no
// link is followed and a hard-linked file is nobody's to change.
struct held_entry {
    unique_fd folder;
    std::string name;
    bool shared = false;
};

// Walks to the folder of `path`'s last element, following links on the way under the rule above.
// EINVAL for a path without a last element that names an entry ("/", "..", "a/.").
int hold_entry(const boost::filesystem::path& path, held_entry& entry);

// Opens the object an O_PATH descriptor stands for with real access (reading, extended attributes),
// through /proc/self/fd, which names exactly that object whatever has happened to its name since.
int reopen(const unique_fd& object, int flags, unique_fd& opened);

// "/proc/self/fd/N": a path for calls that take only a path (acl_set_file, getxattr, chmod) that
// reaches exactly the open object.
std::string descriptor_path(int fd);

}  // namespace platform::kernel
