#include "platform/kernel/file_operations.hpp"

#include "platform/kernel/path_walk.hpp"
#include "platform/kernel/temp_files.hpp"
#include "platform/kernel/unique_fd.hpp"
#include "platform/kernel/win32_error.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace platform::kernel {
namespace {

constexpr mode_t all_write_bits = S_IWUSR | S_IWGRP | S_IWOTH;

bool is_read_only_file(const struct stat& status) {
    return !S_ISDIR(status.st_mode) && !S_ISLNK(status.st_mode) && (status.st_mode & all_write_bits) == 0;
}

// The folder of `path` held open and the object at its last element, a symbolic link not followed.
// 0, or the errno of the walk or of the look-up (ENOENT when nothing is there).
int look_up(const held_entry& entry, struct stat& status) {
    return ::fstatat(entry.folder.get(), entry.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

// Removes a temporary file unless it has been renamed into place.
class pending_file {
public:
    pending_file(int folder, std::string name) : m_folder(folder), m_name(std::move(name)) {}
    ~pending_file() {
        if (!m_name.empty()) {
            ::unlinkat(m_folder, m_name.c_str(), 0);
        }
    }
    pending_file(const pending_file&) = delete;
    pending_file& operator=(const pending_file&) = delete;
    void keep() { m_name.clear(); }

private:
    int m_folder;
    std::string m_name;
};

// Returns 0 or the errno of the failure.
int copy_bytes(int from, int to) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0) {
            return 0;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (const int error = write_all(to, std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            return error;
        }
    }
}

bool is_copied_xattr(const std::string& name) {
    return name.rfind("user.", 0) == 0 || name == "system.posix_acl_access";
}

// Copies the extended attributes that describe the file to the user (attributes, access control
// list); security labels stay those of the new place. A destination file system without extended
// attributes keeps none.
int copy_xattrs(int from, int to) {
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0) {
        return errno == ENOTSUP ? 0 : errno;
    }
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t listed = ::flistxattr(from, names.data(), names.size());
    if (listed < 0) {
        return errno;
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(listed);) {
        const std::string name(names.data() + at);
        at += name.size() + 1;
        if (!is_copied_xattr(name)) {
            continue;
        }
        const ssize_t length = ::fgetxattr(from, name.c_str(), nullptr, 0);
        if (length < 0) {
            return errno;
        }
        value.resize(static_cast<std::size_t>(length));
        const ssize_t read = ::fgetxattr(from, name.c_str(), value.data(), value.size());
        if (read < 0) {
            return errno;
        }
        if (::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(read), 0) != 0) {
            if (errno == ENOTSUP) {
                return 0;
            }
            return errno;
        }
    }
    return 0;
}

// Renames an entry to another; with no_replace the destination must not exist. Returns 0 or an errno.
int rename_into_place(int from_folder, const std::string& from, const held_entry& to, bool no_replace) {
    if (!no_replace) {
        return ::renameat(from_folder, from.c_str(), to.folder.get(), to.name.c_str()) == 0 ? 0 : errno;
    }
    if (::renameat2(from_folder, from.c_str(), to.folder.get(), to.name.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // A file system without RENAME_NOREPLACE: a hard link is just as exclusive for a file.
    if (::linkat(from_folder, from.c_str(), to.folder.get(), to.name.c_str(), 0) != 0) {
        return errno;
    }
    ::unlinkat(from_folder, from.c_str(), 0);
    return 0;
}

enum class owner { caller, source };

// Writes a copy of the open source `from` beside `to` and renames it into place.
std::error_code copy_into_place(int from, const struct stat& source, const held_entry& to,
                                const boost::filesystem::path& to_path, bool no_replace, owner new_owner) {
    std::error_code error;
    std::string temporary;
    unique_fd copy = create_unique_file_at(to.folder.get(), ".vn", ".tmp", temporary, error);
    if (!copy) {
        return error;
    }
    pending_file pending(to.folder.get(), temporary);
    const timespec times[2] = {source.st_atim, source.st_mtim};
    int failure = copy_bytes(from, copy.get());
    if (!failure) {
        failure = copy_xattrs(from, copy.get());
    }
    // Only root may give the copy to another account; anyone else keeps it, as a copy would.
    if (!failure && new_owner == owner::source && ::fchown(copy.get(), source.st_uid, source.st_gid) != 0 &&
        errno != EPERM) {
        failure = errno;
    }
    // Set-user-id and set-group-id never travel: the copy may belong to another account.
    if (!failure && ::fchmod(copy.get(), source.st_mode & 0777) != 0) {
        failure = errno;
    }
    if (!failure && ::futimens(copy.get(), times) != 0) {
        failure = errno;
    }
    if (!failure) {
        failure = copy.close();
    }
    if (!failure) {
        failure = rename_into_place(to.folder.get(), temporary, to, no_replace);
    }
    if (failure) {
        return fail_with_errno(failure, to_path);
    }
    pending.keep();
    return {};
}

// Whether two held entries are one directory entry: the same name in the same folder.
bool same_entry(const held_entry& a, const held_entry& b) {
    struct stat folder_a {};
    struct stat folder_b {};
    return a.name == b.name && ::fstat(a.folder.get(), &folder_a) == 0 && ::fstat(b.folder.get(), &folder_b) == 0 &&
           folder_a.st_dev == folder_b.st_dev && folder_a.st_ino == folder_b.st_ino;
}

// Holds the folder of `path`, with the Win32 code of a failure.
std::error_code hold(const boost::filesystem::path& path, held_entry& entry) {
    if (const int error = hold_entry(path, entry)) {
        return fail_with_errno(error == EINVAL ? ENOENT : error, path);
    }
    return {};
}

// The checks Windows makes on an existing destination before replacing it.
std::error_code check_replaceable(const struct stat& destination) {
    if (S_ISDIR(destination.st_mode) || is_read_only_file(destination)) {
        return fail_with(win32::access_denied);
    }
    return {};
}

}  // namespace

std::error_code copy_file(const boost::filesystem::path& from, const boost::filesystem::path& to, copy_option option) {
    unique_fd found;
    if (const int error = walk_path(from, last_link::follow, found)) {
        return fail_with_errno(error, from);
    }
    struct stat source_status {};
    if (::fstat(found.get(), &source_status) != 0) {
        return fail_with_errno(errno, from);
    }
    // Only a file is copied: a folder is refused as on Windows, a fifo or device would block or never end.
    if (!S_ISREG(source_status.st_mode)) {
        return fail_with(win32::access_denied);
    }
    unique_fd source;
    if (const int error = reopen(found, O_RDONLY | O_NOCTTY, source)) {
        return fail_with_errno(error, from);
    }
    held_entry destination_entry;
    if (auto error = hold(to, destination_entry)) {
        return error;
    }
    struct stat destination {};
    const bool no_replace = option == copy_option::fail_if_exists;
    if (look_up(destination_entry, destination) == 0) {
        if (no_replace) {
            return fail_with(win32::file_exists);
        }
        if (auto error = check_replaceable(destination)) {
            return error;
        }
    }
    auto error = copy_into_place(source.get(), source_status, destination_entry, to, no_replace, owner::caller);
    if (error && no_replace && error.value() == static_cast<int>(win32::already_exists)) {
        return fail_with(win32::file_exists);
    }
    return error;
}

std::error_code move_file(const boost::filesystem::path& from, const boost::filesystem::path& to, move_option options) {
    held_entry source_entry;
    held_entry destination_entry;
    if (auto error = hold(from, source_entry)) {
        return error;
    }
    struct stat source {};
    if (const int error = look_up(source_entry, source)) {
        return fail_with_errno(error, from);
    }
    if (auto error = hold(to, destination_entry)) {
        return error;
    }
    const bool no_replace = !has_option(options, move_option::replace_existing);
    struct stat destination {};
    bool same_object = false;
    if (look_up(destination_entry, destination) == 0) {
        same_object = destination.st_dev == source.st_dev && destination.st_ino == source.st_ino;
        if (same_object && same_entry(source_entry, destination_entry)) {
            return {};
        }
        if (no_replace) {
            return fail_with(win32::already_exists);
        }
        if (S_ISDIR(source.st_mode)) {
            return fail_with(win32::access_denied);
        }
        if (auto error = check_replaceable(destination)) {
            return error;
        }
    }
    const int renamed = rename_into_place(source_entry.folder.get(), source_entry.name, destination_entry, no_replace);
    if (renamed == 0) {
        // rename() leaves two hard links of one file both in place; the move still has to take the
        // source name away.
        if (same_object && ::unlinkat(source_entry.folder.get(), source_entry.name.c_str(), 0) != 0 &&
            errno != ENOENT) {
            return fail_with_errno(errno, from);
        }
        return {};
    }
    if (renamed != EXDEV) {
        return fail_with_errno(renamed, renamed == ENOENT ? to : from);
    }
    if (!has_option(options, move_option::copy_allowed) || !S_ISREG(source.st_mode)) {
        return fail_with(win32::not_same_device);
    }
    unique_fd opened(::openat(source_entry.folder.get(), source_entry.name.c_str(),
                              O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK));
    if (!opened) {
        return fail_with_errno(errno, from);
    }
    struct stat opened_status {};
    if (::fstat(opened.get(), &opened_status) != 0 || opened_status.st_ino != source.st_ino ||
        opened_status.st_dev != source.st_dev) {
        return fail_with(win32::access_denied);  // replaced since it was looked at
    }
    if (auto error = copy_into_place(opened.get(), source, destination_entry, to, no_replace, owner::source)) {
        return error;
    }
    // Both copies stay when the source cannot go: nothing is lost, and the caller hears of it.
    if (::unlinkat(source_entry.folder.get(), source_entry.name.c_str(), 0) != 0) {
        return fail_with_errno(errno, from);
    }
    return {};
}

std::error_code delete_file(const boost::filesystem::path& path) {
    held_entry entry;
    if (auto error = hold(path, entry)) {
        return error;
    }
    struct stat status {};
    if (const int error = look_up(entry, status)) {
        return fail_with_errno(error, path);
    }
    if (S_ISDIR(status.st_mode) || is_read_only_file(status)) {
        return fail_with(win32::access_denied);
    }
    if (::unlinkat(entry.folder.get(), entry.name.c_str(), 0) != 0) {
        return fail_with_errno(errno, path);
    }
    return {};
}

found_item find_item(const boost::filesystem::path& path) {
    held_entry entry;
    struct stat status {};
    if (hold_entry(path, entry) != 0 || look_up(entry, status) != 0) {
        return found_item::nothing;
    }
    if (S_ISDIR(status.st_mode)) {
        return found_item::folder;
    }
    if (S_ISREG(status.st_mode) && !(entry.shared && status.st_nlink > 1)) {
        return found_item::file;
    }
    return found_item::planted;
}

std::error_code create_folder(const boost::filesystem::path& path) {
    held_entry entry;
    if (auto error = hold(path, entry)) {
        return error;
    }
    if (::mkdirat(entry.folder.get(), entry.name.c_str(), 0777) != 0) {
        return fail_with_errno(errno, path);
    }
    return {};
}

namespace {

// 0 when `path` is a folder (also behind a link the walk may follow), else the walk's errno or ENOTDIR.
int walk_to_folder(const boost::filesystem::path& path) {
    unique_fd found;
    if (const int error = walk_path(path, last_link::follow, found)) {
        return error;
    }
    struct stat status {};
    return ::fstat(found.get(), &status) == 0 && S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
}

}  // namespace

std::error_code create_folders(const boost::filesystem::path& path,
                               const std::function<void(const boost::filesystem::path&)>& created) {
    // Every file's folder is asked for; it is nearly always there already, which one walk tells.
    if (path.empty() || walk_to_folder(path) == 0) {
        return {};
    }
    boost::filesystem::path candidate = path.root_path();
    for (const boost::filesystem::path& component : path.relative_path()) {
        if (component.empty() || component == ".") {
            continue;  // a trailing or doubled separator
        }
        candidate /= component;
        const int error = walk_to_folder(candidate);
        if (error == 0) {
            continue;
        }
        if (error != ENOENT) {
            // Something that is not a folder on the way is Windows' path-not-found.
            return fail_with_errno(error, candidate);
        }
        if (auto failure = create_folder(candidate)) {
            return failure;
        }
        if (created) {
            created(candidate);
        }
    }
    return {};
}

std::error_code remove_folder(const boost::filesystem::path& path) {
    held_entry entry;
    if (auto error = hold(path, entry)) {
        return error;
    }
    struct stat status {};
    if (const int error = look_up(entry, status)) {
        return fail_with_errno(error, path);
    }
    if (!S_ISDIR(status.st_mode)) {
        return fail_with(win32::directory);
    }
    if (::unlinkat(entry.folder.get(), entry.name.c_str(), AT_REMOVEDIR) != 0) {
        return fail_with(errno == EEXIST ? win32::dir_not_empty : win32_from_errno(errno, path));
    }
    return {};
}

}  // namespace platform::kernel
