// Files opened in the secure sharing mode: a writer keeps every other opener out, readers only share
// with readers. The modes are open-file-description locks, so they hold between processes and
// between two openings in one process; a conflict is ERROR_SHARING_VIOLATION, as on Windows.
// Stands in for _wfsopen/_wsopen_s with _SH_SECURE and the CreateFileW sharing flags.
//
// A file is never opened through a symbolic link (ERROR_CANT_RESOLVE_FILENAME), nor through one on
// the way that another account could have planted (path_walk.hpp), and only a regular file is
// opened (ERROR_ACCESS_DENIED otherwise): a planted link, fifo or device at a destination is
// refused, not followed or blocked on. In a folder other accounts may write, writing only ever
// creates a new file (ERROR_ALREADY_EXISTS when something is there).
#pragma once

#include "platform/kernel/unique_fd.hpp"

#include <boost/filesystem/path.hpp>

#include <cstddef>
#include <streambuf>
#include <system_error>
#include <vector>

namespace platform::kernel {

enum class file_access { read, write };

// read: an existing file. write: created (with the default permissions) or truncated, but see above. An empty
// descriptor and `error` set (the thread's last error too) on failure.
unique_fd open_shared_file(const boost::filesystem::path& path, file_access access, std::error_code& error);

// An output stream buffer over an owned descriptor. Unbuffered (the default), every write reaches
// the file at once, so a full disk is seen at the write that met it; with a buffer, bytes reach the
// file in large writes and at sync (the stream's flush), which the writer calls before it takes the
// file as written. A failed write throws std::system_error with the Win32 code; a stream with badbit
// in its exceptions passes that exception on unchanged. Given the file's path, a failed write is also
// noted in the diagnostic log with the system's own error text, which the Win32 code no longer
// carries. Bytes still buffered at destruction are written as far as they go, without a report.
class file_output_buf : public std::streambuf {
public:
    explicit file_output_buf(unique_fd fd, boost::filesystem::path path = {}, std::size_t buffer_size = 0);
    ~file_output_buf() override;
    file_output_buf(const file_output_buf&) = delete;
    file_output_buf& operator=(const file_output_buf&) = delete;

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int_type overflow(int_type c) override;
    int sync() override;

private:
    void write_out(const char* bytes, std::size_t count);
    void write_buffered();

    unique_fd m_fd;
    boost::filesystem::path m_path;
    std::vector<char> m_buffer;
};

// The reading counterpart: an unbuffered input stream buffer over an owned descriptor. sgetn reads
// straight into the caller's memory, as many reads as it takes to fill it or reach the end of the
// file. A failed read throws std::system_error with the Win32 code; a stream with badbit in its
// exceptions passes that exception on unchanged.
class file_input_buf : public std::streambuf {
public:
    explicit file_input_buf(unique_fd fd) : m_fd(std::move(fd)) {}

protected:
    std::streamsize xsgetn(char* bytes, std::streamsize count) override;
    int_type underflow() override;

private:
    // Up to `count` bytes, fewer only at the end of the file.
    std::size_t read_fully(char* bytes, std::size_t count);

    unique_fd m_fd;
    char m_byte = 0;  // the get area of single-character reads
};

}  // namespace platform::kernel
