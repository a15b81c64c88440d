#include "platform/kernel/shared_file.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/path_walk.hpp"
#include "platform/kernel/win32_error.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

namespace platform::kernel {

namespace {

std::error_code fail_errno(int error_number, const boost::filesystem::path& path) {
    // O_NOFOLLOW on a link gives ELOOP.
    return fail_with_errno(error_number, path);
}

}  // namespace

unique_fd open_shared_file(const boost::filesystem::path& path, file_access access, std::error_code& error) {
    error.clear();
    held_entry entry;
    if (const int walk_error = hold_entry(path, entry)) {
        error = fail_errno(walk_error, path);
        return {};
    }
    // No O_TRUNC here: a file is only cut once its lock is held. O_NONBLOCK keeps a fifo from
    // blocking the opening; it is refused right after. In a folder another account may write, a
    // file is only ever created: what is there may be a second name of anyone's file.
    int flags =
        (access == file_access::write ? O_WRONLY | O_CREAT : O_RDONLY) | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (access == file_access::write && entry.shared) {
        flags |= O_EXCL;
    }
    unique_fd fd(::openat(entry.folder.get(), entry.name.c_str(), flags, 0666));
    if (!fd) {
        error = fail_errno(errno, path);
        return {};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        error = fail_errno(errno, path);
        return {};
    }
    if (!S_ISREG(info.st_mode)) {
        error = fail_with(win32::access_denied);
        return {};
    }
    struct flock lock {};
    lock.l_type = access == file_access::write ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd.get(), F_OFD_SETLK, &lock) != 0) {
        error = errno == EAGAIN || errno == EACCES ? fail_with(win32::sharing_violation) : fail_errno(errno, path);
        return {};
    }
    if (access == file_access::write && ::ftruncate(fd.get(), 0) != 0) {
        error = fail_errno(errno, path);
        return {};
    }
    const int status = ::fcntl(fd.get(), F_GETFL);
    if (status < 0 || ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK) != 0) {
        error = fail_errno(errno, path);
        return {};
    }
    return fd;
}

file_output_buf::file_output_buf(unique_fd fd, boost::filesystem::path path, std::size_t buffer_size)
    : m_fd(std::move(fd)), m_path(std::move(path)), m_buffer(buffer_size) {
    if (!m_buffer.empty()) {
        setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    }
}

file_output_buf::~file_output_buf() {
    if (pbase() != pptr()) {
        (void)write_all(m_fd.get(), std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())));
    }
}

void file_output_buf::write_out(const char* bytes, std::size_t count) {
    if (const int error_number = write_all(m_fd.get(), std::string_view(bytes, count))) {
        if (!m_path.empty()) {
            diagnostics::note_failure("writing", m_path, error_number);
        }
        throw std::system_error(fail_with(win32_from_errno(error_number)), "cannot write the file");
    }
}

void file_output_buf::write_buffered() {
    const auto count = static_cast<std::size_t>(pptr() - pbase());
    // Emptied first: bytes that failed to go out are not offered again by a later write.
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    if (count > 0) {
        write_out(m_buffer.data(), count);
    }
}

std::streamsize file_output_buf::xsputn(const char* bytes, std::streamsize count) {
    const auto size = static_cast<std::size_t>(count);
    if (size <= static_cast<std::size_t>(epptr() - pptr())) {
        std::copy_n(bytes, size, pptr());
        pbump(static_cast<int>(count));
        return count;
    }
    if (!m_buffer.empty()) {
        write_buffered();
        if (size < m_buffer.size()) {
            std::copy_n(bytes, size, pptr());
            pbump(static_cast<int>(count));
            return count;
        }
    }
    write_out(bytes, size);
    return count;
}

file_output_buf::int_type file_output_buf::overflow(int_type c) {
    if (!m_buffer.empty()) {
        write_buffered();
    }
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
}

int file_output_buf::sync() {
    if (!m_buffer.empty()) {
        write_buffered();
    }
    return 0;
}

std::size_t file_input_buf::read_fully(char* bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        std::size_t got = 0;
        if (const int error_number = read_some(m_fd.get(), bytes + done, count - done, got)) {
            throw std::system_error(fail_with(win32_from_errno(error_number)), "cannot read the file");
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

std::streamsize file_input_buf::xsgetn(char* bytes, std::streamsize count) {
    std::streamsize done = 0;
    // A byte that underflow read and nobody took yet comes first.
    if (count > 0 && gptr() < egptr()) {
        *bytes = *gptr();
        gbump(1);
        done = 1;
    }
    return done + static_cast<std::streamsize>(read_fully(bytes + done, static_cast<std::size_t>(count - done)));
}

file_input_buf::int_type file_input_buf::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    if (read_fully(&m_byte, 1) == 0) {
        return traits_type::eof();
    }
    setg(&m_byte, &m_byte, &m_byte + 1);
    return traits_type::to_int_type(m_byte);
}

}  // namespace platform::kernel
