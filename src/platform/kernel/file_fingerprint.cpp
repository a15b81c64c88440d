#include "platform/kernel/file_fingerprint.hpp"

#include "platform/kernel/shared_file.hpp"
#include "platform/kernel/win32_error.hpp"

#include <boost/crc.hpp>

#include <sys/stat.h>

#include <vector>

namespace platform::kernel {

std::optional<file_fingerprint> fingerprint_file(const boost::filesystem::path& path, std::error_code& error) {
    error.clear();
    const unique_fd file = open_shared_file(path, file_access::read, error);
    if (!file) {
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        error = fail_with_errno(errno, path);
        return std::nullopt;
    }
    boost::crc_32_type crc;
    std::vector<char> buffer(1 << 16);
    std::uint64_t size = 0;
    for (;;) {
        std::size_t got = 0;
        if (const int failure = read_some(file.get(), buffer.data(), buffer.size(), got)) {
            error = fail_with_errno(failure, path);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        crc.process_bytes(buffer.data(), got);
        size += got;
    }
    file_fingerprint print;
    print.size = size;
    print.crc32 = crc.checksum();
    print.modified_ns = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    return print;
}

}  // namespace platform::kernel
