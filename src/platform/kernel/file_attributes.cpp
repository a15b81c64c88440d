#include "platform/kernel/file_attributes.hpp"

#include "platform/kernel/path_walk.hpp"
#include "platform/kernel/win32_error.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <string>

namespace platform::kernel {
namespace {

constexpr std::uint32_t stored_on_every_object = file_attribute_hidden | file_attribute_system |
                                                 file_attribute_archive | file_attribute_temporary |
                                                 file_attribute_offline | file_attribute_not_content_indexed;

std::uint32_t stored_bits_for(bool folder) {
    return folder ? stored_on_every_object | file_attribute_readonly : stored_on_every_object;
}

constexpr mode_t all_write_bits = S_IWUSR | S_IWGRP | S_IWOTH;

// The umask without changing it: umask() would have to set it, which races with other threads.
mode_t current_umask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            unsigned value = 0;
            if (std::sscanf(line.c_str() + 6, "%o", &value) == 1) {
                return static_cast<mode_t>(value);
            }
        }
    }
    return 022;
}

mode_t writable_mode(mode_t mode) {
    const mode_t mask = current_umask();
    mode |= S_IWUSR;
    if ((mode & S_IRGRP) && !(mask & S_IWGRP)) {
        mode |= S_IWGRP;
    }
    if ((mode & S_IROTH) && !(mask & S_IWOTH)) {
        mode |= S_IWOTH;
    }
    return mode;
}

// Missing, unreadable or malformed stored attributes read as none. `object` is the file or folder's
// /proc/self/fd path.
std::uint32_t read_stored_bits(const std::string& object) {
    char buffer[16];
    const ssize_t size = ::getxattr(object.c_str(), attributes_xattr_name, buffer, sizeof buffer);
    if (size <= 0) {
        return 0;
    }
    std::uint32_t bits = 0;
    const auto [end, error] = std::from_chars(buffer, buffer + size, bits, 16);
    return error == std::errc() && end == buffer + size ? bits : 0;
}

int write_stored_bits(const std::string& object, std::uint32_t bits) {
    if (bits == 0) {
        const int result = ::removexattr(object.c_str(), attributes_xattr_name);
        // Nothing stored, or a file system without extended attributes: there is nothing to clear.
        return result == 0 || errno == ENODATA || errno == ENOTSUP ? 0 : errno;
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08x", bits);
    return ::setxattr(object.c_str(), attributes_xattr_name, text, 8, 0) == 0 ? 0 : errno;
}

int change_mode(const std::string& object, mode_t mode) {
    return ::chmod(object.c_str(), mode & 07777) == 0 ? 0 : errno;
}

// The object at `path` itself (a symbolic link is opened, not followed) and what it is; 0 or an errno.
// `shared` tells that other accounts may write its folder.
int open_object(const boost::filesystem::path& path, unique_fd& object, struct stat& status, bool& shared) {
    held_entry entry;
    int error = hold_entry(path, entry);
    if (error == EINVAL) {
        error = walk_path(path, last_link::keep, object);  // a folder named without a last element
    } else if (!error) {
        object.reset(::openat(entry.folder.get(), entry.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        error = object ? 0 : errno;
    }
    if (error) {
        return error;
    }
    shared = entry.shared;
    return ::fstat(object.get(), &status) == 0 ? 0 : errno;
}

// A second name of a file, made in a folder another account may write, can reach anyone's file.
bool foreign_hard_link(const struct stat& status, bool shared) {
    return shared && S_ISREG(status.st_mode) && status.st_nlink > 1;
}

}  // namespace

std::uint32_t file_attributes(const boost::filesystem::path& path) {
    unique_fd object;
    struct stat status {};
    bool shared = false;
    if (const int error = open_object(path, object, status, shared)) {
        fail_with_errno(error, path);
        return invalid_file_attributes;
    }
    if (S_ISLNK(status.st_mode)) {
        return file_attribute_reparse_point;
    }
    const bool folder = S_ISDIR(status.st_mode);
    std::uint32_t attributes = read_stored_bits(descriptor_path(object.get())) & stored_bits_for(folder);
    if (folder) {
        attributes |= file_attribute_directory;
    } else if ((status.st_mode & all_write_bits) == 0) {
        attributes |= file_attribute_readonly;
    }
    return attributes == 0 ? file_attribute_normal : attributes;
}

std::error_code set_file_attributes(const boost::filesystem::path& path, std::uint32_t attributes) {
    unique_fd opened;
    struct stat status {};
    bool shared = false;
    if (const int error = open_object(path, opened, status, shared)) {
        return fail_with_errno(error, path);
    }
    if (S_ISLNK(status.st_mode)) {
        return fail_with(win32::not_supported);
    }
    if (foreign_hard_link(status, shared)) {
        return fail_with(win32::access_denied);
    }
    const std::string object = descriptor_path(opened.get());
    const bool folder = S_ISDIR(status.st_mode);
    const std::uint32_t stored = attributes & stored_bits_for(folder);
    if (folder) {
        const int error = write_stored_bits(object, stored);
        return error ? fail_with_errno(error, path) : std::error_code();
    }

    const bool read_only = attributes & file_attribute_readonly;
    const bool is_read_only = (status.st_mode & all_write_bits) == 0;
    // A file that is being made writable changes mode first, one being made read-only last, so that
    // an owner who is not root may still write its extended attribute.
    if (!read_only && is_read_only) {
        if (const int error = change_mode(object, writable_mode(status.st_mode))) {
            return fail_with_errno(error, path);
        }
    }
    if (const int error = write_stored_bits(object, stored)) {
        return fail_with_errno(error, path);
    }
    if (read_only && !is_read_only) {
        if (const int error = change_mode(object, status.st_mode & ~all_write_bits)) {
            return fail_with_errno(error, path);
        }
    }
    return {};
}

}  // namespace platform::kernel
