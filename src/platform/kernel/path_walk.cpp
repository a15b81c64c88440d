#include "platform/kernel/path_walk.hpp"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <string_view>
#include <vector>

namespace platform::kernel {
namespace {

// As many links as the kernel itself follows in one path.
constexpr int max_links_followed = 40;

// The account file operations act as: a thread may have taken a user's file-system rights for the
// user's own folders, where that user's links are as safe as the user following them.
uid_t file_system_user() {
    // An invalid value changes nothing and answers the current one.
    return static_cast<uid_t>(::syscall(SYS_setfsuid, static_cast<uid_t>(-1)));
}

bool trusted_owner(uid_t uid) {
    return uid == 0 || uid == ::geteuid() || uid == file_system_user();
}

std::deque<std::string> elements_of(std::string_view text) {
    std::deque<std::string> elements;
    while (!text.empty()) {
        const std::size_t slash = text.find('/');
        const std::string_view element = text.substr(0, slash);
        if (!element.empty() && element != ".") {
            elements.emplace_back(element);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        text.remove_prefix(slash + 1);
    }
    return elements;
}

int open_start(bool absolute, unique_fd& folder) {
    folder.reset(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    return folder ? 0 : errno;
}

// A link in `folder` may be followed when nobody but root and this account could have placed it.
int may_follow(int folder, const struct stat& link) {
    struct stat facts {};
    if (::fstat(folder, &facts) != 0) {
        return errno;
    }
    if (!others_may_write(facts)) {
        return 0;
    }
    return (facts.st_mode & S_ISVTX) != 0 && trusted_owner(link.st_uid) ? 0 : ELOOP;
}

int read_link(int folder, const std::string& name, std::string& target) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t size = ::readlinkat(folder, name.c_str(), buffer.data(), buffer.size());
        if (size < 0) {
            return errno;
        }
        if (static_cast<std::size_t>(size) < buffer.size()) {
            target.assign(buffer.data(), static_cast<std::size_t>(size));
            return 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The path without any symbolic link, in one call where the kernel has openat2; 0, an errno of the
// walk itself, or -1 when the element-by-element walk must decide (a link on the way, an old kernel).
int open_without_links(const std::string& path, last_link last, unique_fd& opened) {
    open_how how{};
    how.flags = O_PATH | O_CLOEXEC | (last == last_link::keep ? O_NOFOLLOW : 0);
    how.resolve = RESOLVE_NO_SYMLINKS;
    const long fd = ::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
    if (fd >= 0) {
        opened.reset(static_cast<int>(fd));
        return 0;
    }
    return errno == ELOOP || errno == ENOSYS || errno == E2BIG || errno == EPERM || errno == EAGAIN ? -1 : errno;
}

int walk_elements(const std::string& path, last_link last, unique_fd& opened) {
    unique_fd current;
    if (const int error = open_start(path.front() == '/', current)) {
        return error;
    }
    std::deque<std::string> pending = elements_of(path);
    int links = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.front());
        pending.pop_front();
        const bool follow = !pending.empty() || last == last_link::follow;
        struct stat facts {};
        if (::fstatat(current.get(), name.c_str(), &facts, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno;
        }
        if (S_ISLNK(facts.st_mode) && follow) {
            if (++links > max_links_followed) {
                return ELOOP;
            }
            std::string target;
            if (int error = may_follow(current.get(), facts);
                error || (error = read_link(current.get(), name, target))) {
                return error;
            }
            if (target.empty()) {
                return ENOENT;
            }
            std::deque<std::string> resolved = elements_of(target);
            pending.insert(pending.begin(), resolved.begin(), resolved.end());
            if (target.front() == '/') {
                if (const int error = open_start(true, current)) {
                    return error;
                }
            }
            continue;
        }
        unique_fd next(::openat(current.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!next) {
            return errno;
        }
        // The entry may have been swapped for a link since it was looked at: it is not followed then.
        struct stat opened_facts {};
        if (::fstat(next.get(), &opened_facts) != 0) {
            return errno;
        }
        if (S_ISLNK(opened_facts.st_mode) && follow) {
            return ELOOP;
        }
        if (!pending.empty() && !S_ISDIR(opened_facts.st_mode)) {
            return ENOTDIR;
        }
        current = std::move(next);
    }
    opened = std::move(current);
    return 0;
}

}  // namespace

bool others_may_write(const struct stat& folder) {
    return !trusted_owner(folder.st_uid) || (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

int walk_path(const boost::filesystem::path& path, last_link last, unique_fd& opened) {
    const std::string& text = path.string();
    if (text.empty()) {
        return ENOENT;
    }
    if (const int result = open_without_links(text, last, opened); result >= 0) {
        return result;
    }
    return walk_elements(text, last, opened);
}

int hold_entry(const boost::filesystem::path& path, held_entry& entry) {
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    const std::size_t slash = text.rfind('/');
    std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || name == "/") {
        return EINVAL;
    }
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : text.substr(0, slash);
    unique_fd opened;
    if (const int error = walk_path(folder, last_link::follow, opened)) {
        return error;
    }
    struct stat facts {};
    if (::fstat(opened.get(), &facts) != 0) {
        return errno;
    }
    if (!S_ISDIR(facts.st_mode)) {
        return ENOTDIR;
    }
    entry.folder = std::move(opened);
    entry.name = std::move(name);
    entry.shared = others_may_write(facts);
    return 0;
}

int reopen(const unique_fd& object, int flags, unique_fd& opened) {
    opened.reset(::open(descriptor_path(object.get()).c_str(), flags | O_CLOEXEC));
    return opened ? 0 : errno;
}

std::string descriptor_path(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace platform::kernel
