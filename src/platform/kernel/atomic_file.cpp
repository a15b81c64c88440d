#include "platform/kernel/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace platform::kernel {

atomic_file::atomic_file(boost::filesystem::path target) : m_target(std::move(target)) {
    std::string pattern = (m_target.parent_path() / ("." + m_target.filename().string() + ".XXXXXX")).string();
    // mkostemp creates with O_EXCL, so a name planted as a symbolic link is never followed.
    m_fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_error = std::error_code(errno, std::generic_category());
        return;
    }
    m_temp = pattern;
}

atomic_file::~atomic_file() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_committed && !m_temp.empty()) {
        ::unlink(m_temp.c_str());
    }
}

void atomic_file::fail(int err) {
    if (!m_error) {
        m_error = std::error_code(err, std::generic_category());
    }
}

void atomic_file::write(std::span<const std::byte> bytes) {
    if (m_fd < 0 || m_error) {
        return;
    }
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
}

void atomic_file::set_permissions(unsigned mode) {
    if (m_fd >= 0 && !m_error && ::fchmod(m_fd, static_cast<mode_t>(mode)) != 0) {
        fail(errno);
    }
}

bool atomic_file::commit() {
    if (m_fd < 0 || m_error) {
        return false;
    }
    if (::fsync(m_fd) != 0) {
        fail(errno);
    }
    if (::close(m_fd) != 0) {
        fail(errno);
    }
    m_fd = -1;
    if (m_error) {
        return false;
    }
    if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        fail(errno);
        return false;
    }
    // The rename itself reaches the disk with the folder's entry.
    const int folder = ::open(m_target.parent_path().empty() ? "." : m_target.parent_path().c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    m_committed = true;
    return true;
}

}  // namespace platform::kernel
