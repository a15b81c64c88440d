#include "platform/kernel/file_operations.hpp"

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

// The object at a path itself, a symbolic link not followed; false with errno set when there is none.
bool look_up(const boost::filesystem::path& path, struct stat& status) {
    return ::lstat(path.c_str(), &status) == 0;
}

// Removes a temporary file unless it has been renamed into place.
class pending_file {
public:
    explicit pending_file(boost::filesystem::path path) : m_path(std::move(path)) {}
    ~pending_file() {
        if (!m_path.empty()) {
            ::unlink(m_path.c_str());
        }
    }
    pending_file(const pending_file&) = delete;
    pending_file& operator=(const pending_file&) = delete;
    void keep() { m_path.clear(); }

private:
    boost::filesystem::path m_path;
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

// Renames `from` to `to`; with no_replace the destination must not exist. Returns 0 or an errno.
int rename_into_place(const boost::filesystem::path& from, const boost::filesystem::path& to, bool no_replace) {
    if (!no_replace) {
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // A file system without RENAME_NOREPLACE: a hard link is just as exclusive for a file.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return errno;
    }
    ::unlink(from.c_str());
    return 0;
}

enum class owner { caller, source };

// Writes a copy of the open source `from` beside `to` and renames it into place.
std::error_code copy_into_place(int from, const struct stat& source, const boost::filesystem::path& to, bool no_replace,
                                owner new_owner) {
    std::error_code error;
    boost::filesystem::path temporary;
    unique_fd copy =
        create_unique_file(to.parent_path().empty() ? "." : to.parent_path(), ".vn", ".tmp", temporary, error);
    if (!copy) {
        return error;
    }
    pending_file pending(temporary);
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
        failure = rename_into_place(temporary, to, no_replace);
    }
    if (failure) {
        return fail_with_errno(failure, to);
    }
    pending.keep();
    return {};
}

// Whether two paths are one directory entry: the same name in the same folder.
bool same_entry(const boost::filesystem::path& a, const boost::filesystem::path& b) {
    struct stat folder_a {};
    struct stat folder_b {};
    const auto folder_of = [](const boost::filesystem::path& p) {
        return p.parent_path().empty() ? boost::filesystem::path(".") : p.parent_path();
    };
    return a.filename() == b.filename() && ::stat(folder_of(a).c_str(), &folder_a) == 0 &&
           ::stat(folder_of(b).c_str(), &folder_b) == 0 && folder_a.st_dev == folder_b.st_dev &&
           folder_a.st_ino == folder_b.st_ino;
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
    unique_fd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!source) {
        return fail_with_errno(errno, from);
    }
    struct stat source_status {};
    if (::fstat(source.get(), &source_status) != 0) {
        return fail_with_errno(errno, from);
    }
    if (S_ISDIR(source_status.st_mode)) {
        return fail_with(win32::access_denied);
    }
    struct stat destination {};
    const bool no_replace = option == copy_option::fail_if_exists;
    if (look_up(to, destination)) {
        if (no_replace) {
            return fail_with(win32::file_exists);
        }
        if (auto error = check_replaceable(destination)) {
            return error;
        }
    }
    auto error = copy_into_place(source.get(), source_status, to, no_replace, owner::caller);
    if (error && no_replace && error.value() == static_cast<int>(win32::already_exists)) {
        return fail_with(win32::file_exists);
    }
    return error;
}

std::error_code move_file(const boost::filesystem::path& from, const boost::filesystem::path& to, move_option options) {
    struct stat source {};
    if (!look_up(from, source)) {
        return fail_with_errno(errno, from);
    }
    const bool no_replace = !has_option(options, move_option::replace_existing);
    struct stat destination {};
    bool same_object = false;
    if (look_up(to, destination)) {
        same_object = destination.st_dev == source.st_dev && destination.st_ino == source.st_ino;
        if (same_object && same_entry(from, to)) {
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
    const int renamed = rename_into_place(from, to, no_replace);
    if (renamed == 0) {
        // rename() leaves two hard links of one file both in place; the move still has to take the
        // source name away.
        if (same_object && ::unlink(from.c_str()) != 0 && errno != ENOENT) {
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
    unique_fd opened(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
    if (!opened) {
        return fail_with_errno(errno, from);
    }
    if (auto error = copy_into_place(opened.get(), source, to, no_replace, owner::source)) {
        return error;
    }
    // Both copies stay when the source cannot go: nothing is lost, and the caller hears of it.
    if (::unlink(from.c_str()) != 0) {
        return fail_with_errno(errno, from);
    }
    return {};
}

std::error_code delete_file(const boost::filesystem::path& path) {
    struct stat status {};
    if (!look_up(path, status)) {
        return fail_with_errno(errno, path);
    }
    if (S_ISDIR(status.st_mode) || is_read_only_file(status)) {
        return fail_with(win32::access_denied);
    }
    if (::unlink(path.c_str()) != 0) {
        return fail_with_errno(errno, path);
    }
    return {};
}

std::error_code create_folder(const boost::filesystem::path& path) {
    if (::mkdir(path.c_str(), 0777) != 0) {
        return fail_with_errno(errno, path);
    }
    return {};
}

std::error_code remove_folder(const boost::filesystem::path& path) {
    struct stat status {};
    if (!look_up(path, status)) {
        return fail_with_errno(errno, path);
    }
    if (!S_ISDIR(status.st_mode)) {
        return fail_with(win32::directory);
    }
    if (::rmdir(path.c_str()) != 0) {
        return fail_with(errno == EEXIST ? win32::dir_not_empty : win32_from_errno(errno, path));
    }
    return {};
}

}  // namespace platform::kernel
