// Feeds arbitrary bytes to the uninstall log's readers: the line splitter over a stream (both
// encodings, any line ends, lines too long) and the whole reader over a file, as start-up and the
// uninstaller read a log an earlier installation, or anybody, left.
#include "uninstall_log/log_line_reader.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "uninstall log reader broke a promise: %s\n", what);
        std::abort();
    }
}

// One in-memory file for every input, read through its path as the reader reads a real log.
const std::string& log_file_path() {
    static const std::string path = [] {
        const int fd = ::memfd_create("Uninstall.ulog", MFD_CLOEXEC);
        require(fd >= 0, "memfd_create");
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void replace_file(const std::uint8_t* data, std::size_t size) {
    const int fd = std::stoi(log_file_path().substr(log_file_path().rfind('/') + 1));
    require(::ftruncate(fd, 0) == 0, "ftruncate");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        require(written > 0, "pwrite");
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    std::istringstream in(bytes);
    LogLineReader reader(in);
    std::string line;
    std::size_t lines = 0;
    for (auto status = reader.Next(line); status == LogLineReader::Status::Line; status = reader.Next(line)) {
        require(++lines <= size, "more lines than bytes");
    }

    replace_file(data, size);
    UninstallLog log;
    const boost::filesystem::path file(log_file_path());
    log.Read(&file);
    require(log.previousEntries.size() <= size, "more entries than bytes");
    return 0;
}
