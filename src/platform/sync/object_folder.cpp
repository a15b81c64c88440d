#include "platform/sync/object_folder.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/win32_error.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <boost/filesystem/operations.hpp>

#include <cerrno>
#include <random>

namespace platform::sync::detail {
namespace {

// R/run/lock and the objects folder: sticky and writable by all, like /tmp.
constexpr mode_t shared_folder_mode = S_ISVTX | 0777;

// The objects folder vanishes with the last object and may be made again meanwhile, and each entry
// taken away sends the opener round again; never more than a few rounds in practice.
constexpr int max_attempts = 64;

const char* entry_kind_name(mode_t mode) {
    switch (mode & S_IFMT) {
        case S_IFLNK:
            return "a symbolic link";
        case S_IFIFO:
            return "a FIFO";
        case S_IFDIR:
            return "a folder";
        case S_IFREG:
            return "a linked file";
        default:
            return "a special file";
    }
}

// R/run/lock. A fresh system root gets it as every system has it: sticky and writable by all, so
// that every account can make named objects, and none can remove another's.
unique_fd open_lock_folder() {
    const boost::filesystem::path lock = objects_folder().parent_path();
    for (int attempt = 0; attempt < 2; ++attempt) {
        unique_fd folder(open(lock.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder) {
            return folder;
        }
        if (errno != ENOENT) {
            throw_errno();
        }
        boost::system::error_code ignored;
        boost::filesystem::create_directories(lock.parent_path(), ignored);
        if (mkdir(lock.c_str(), 0700) != 0) {
            if (errno == EEXIST) {
                continue;
            }
            throw_errno();
        }
        folder.reset(open(lock.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder) {
            throw_errno();
        }
        if (fchmod(folder.get(), shared_folder_mode) != 0) {
            throw_errno();
        }
        return folder;
    }
    throw object_error{kernel::win32::gen_failure};
}

// Makes the opened objects folder one that no account but root controls. A folder another account
// made first is taken over by root: its maker could otherwise remove or replace every object in it.
// Its access lists go, so that none of its maker's entries reaches the objects made in it.
void make_folder_safe(int folder) {
    struct stat info {};
    if (fstat(folder, &info) != 0) {
        throw_errno();
    }
    const uid_t me = geteuid();
    if (me == 0 && info.st_uid != 0) {
        if (fchown(folder, 0, 0) != 0) {
            throw_errno();
        }
        for (const char* list : {"system.posix_acl_default", "system.posix_acl_access"}) {
            if (fremovexattr(folder, list) != 0 && errno != ENODATA && errno != ENOTSUP) {
                throw_errno();
            }
        }
        diagnostics::note("Named objects: took over the folder account ", static_cast<std::uint32_t>(info.st_uid),
                          " made: ", objects_folder());
        info.st_uid = 0;
    }
    if (info.st_uid == me && (info.st_mode & 07777) != shared_folder_mode) {
        if (fchmod(folder, shared_folder_mode) != 0) {
            throw_errno();
        }
        info.st_mode = (info.st_mode & ~07777) | shared_folder_mode;
    }
    // Writable by others without the sticky bit, anyone could remove or replace objects.
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0) {
        throw object_error{kernel::win32::access_denied};
    }
}

// Moves a folder that still holds entries out of the way, to a hidden name no object file has.
bool move_aside(int folder, const std::string& name) {
    std::random_device random;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string aside = ".taken-away-" + std::to_string(random()) + std::to_string(random());
        if (renameat2(folder, name.c_str(), folder, aside.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

}  // namespace

void throw_errno() {
    throw object_error{kernel::win32_from_errno(errno)};
}

unique_fd open_objects_folder() {
    const std::string name = objects_folder().filename().string();
    const unique_fd lock = open_lock_folder();
    for (int attempt = 0; attempt < max_attempts; ++attempt) {
        if (mkdirat(lock.get(), name.c_str(), 0700) != 0 && errno != EEXIST) {
            throw_errno();
        }
        unique_fd folder(openat(lock.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (folder) {
            make_folder_safe(folder.get());
            return folder;
        }
        if (errno == ENOENT) {
            continue;  // the last object closed took the folder with it: it is made again
        }
        if (errno != ELOOP && errno != ENOTDIR) {
            throw_errno();
        }
        struct stat found {};
        if (fstatat(lock.get(), name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(found.st_mode)) {
            take_away(lock.get(), objects_folder().parent_path(), name, found);
        }
    }
    throw object_error{kernel::win32::gen_failure};
}

bool may_be_object_file(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_nlink == 1;
}

void take_away(int folder, const boost::filesystem::path& folder_path, const std::string& name,
               const struct stat& found) {
    struct stat now {};
    if (fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            return;
        }
        throw_errno();
    }
    if (now.st_dev != found.st_dev || now.st_ino != found.st_ino) {
        return;
    }
    const bool is_folder = S_ISDIR(now.st_mode);
    bool gone = unlinkat(folder, name.c_str(), is_folder ? AT_REMOVEDIR : 0) == 0;
    if (!gone && is_folder && (errno == ENOTEMPTY || errno == EEXIST)) {
        gone = move_aside(folder, name);
    }
    if (!gone) {
        if (errno == ENOENT) {
            return;
        }
        if (errno == EPERM || errno == EACCES) {
            throw object_error{kernel::win32::access_denied};
        }
        throw_errno();
    }
    diagnostics::note("Named objects: took away ", entry_kind_name(now.st_mode), " of account ",
                      static_cast<std::uint32_t>(now.st_uid), " at ", folder_path / name);
}

}  // namespace platform::sync::detail
