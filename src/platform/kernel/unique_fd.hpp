// Owner of one POSIX file descriptor, closed when the owner goes, and writing and reading through one.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string_view>

#include <utility>

namespace platform::kernel {

class unique_fd {
public:
    unique_fd() = default;
    explicit unique_fd(int fd) : m_fd(fd) {}
    unique_fd(unique_fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    unique_fd& operator=(unique_fd&& other) noexcept {
        reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    unique_fd(const unique_fd&) = delete;
    unique_fd& operator=(const unique_fd&) = delete;
    ~unique_fd() { reset(); }

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

    // Gives the descriptor up to a caller that now owns it.
    int release() { return std::exchange(m_fd, -1); }

    void reset(int fd = -1) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }

    // Closes now and reports close's errno (0 on success): a write that only fails at close
    // (NFS, quota) must not pass as written.
    int close() {
        const int result = m_fd >= 0 ? ::close(std::exchange(m_fd, -1)) : 0;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};

// Writes all of `bytes`, going on after short writes and interruptions. Returns 0 or the errno.
inline int write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return 0;
}

// Reads what is there of `size` bytes at most into `bytes`, going on after interruptions; `got` is 0
// at the end of the file. Returns 0 or the errno.
inline int read_some(int fd, char* bytes, std::size_t size, std::size_t& got) {
    for (;;) {
        const ssize_t read = ::read(fd, bytes, size);
        if (read >= 0) {
            got = static_cast<std::size_t>(read);
            return 0;
        }
        if (errno != EINTR) {
            got = 0;
            return errno;
        }
    }
}

}  // namespace platform::kernel
