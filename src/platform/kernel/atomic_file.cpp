#include "platform/kernel/atomic_file.hpp"

#include "platform/kernel/temp_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace platform::kernel {

atomic_file::atomic_file(boost::filesystem::path target) {
    if (const int error = hold_entry(target, m_target)) {
        m_error = std::error_code(error, std::generic_category());
        return;
    }
    // Created exclusively, so a name planted as a symbolic link is never followed.
    std::error_code error;
    m_fd = create_unique_file_at(m_target.folder.get(), "." + m_target.name + ".", "", m_temp_name, error);
    if (!m_fd) {
        m_error = error;
        return;
    }
    m_temp = target.parent_path() / m_temp_name;
}

atomic_file::~atomic_file() {
    m_fd.reset();
    if (!m_committed && !m_temp_name.empty()) {
        ::unlinkat(m_target.folder.get(), m_temp_name.c_str(), 0);
    }
}

void atomic_file::fail(int err) {
    if (!m_error) {
        m_error = std::error_code(err, std::generic_category());
    }
}

void atomic_file::write(std::span<const std::byte> bytes) {
    if (!m_fd || m_error) {
        return;
    }
    if (const int error =
            write_all(m_fd.get(), std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
        fail(error);
    }
}

void atomic_file::set_permissions(unsigned mode) {
    if (m_fd && !m_error && ::fchmod(m_fd.get(), static_cast<mode_t>(mode)) != 0) {
        fail(errno);
    }
}

bool atomic_file::commit() {
    if (!m_fd || m_error) {
        return false;
    }
    if (::fsync(m_fd.get()) != 0) {
        fail(errno);
    }
    if (const int error = m_fd.close()) {
        fail(error);
    }
    if (m_error) {
        return false;
    }
    if (::renameat(m_target.folder.get(), m_temp_name.c_str(), m_target.folder.get(), m_target.name.c_str()) != 0) {
        fail(errno);
        return false;
    }
    // The rename itself reaches the disk with the folder's entry.
    unique_fd folder;
    if (reopen(m_target.folder, O_RDONLY | O_DIRECTORY, folder) == 0) {
        ::fsync(folder.get());
    }
    m_committed = true;
    return true;
}

}  // namespace platform::kernel
