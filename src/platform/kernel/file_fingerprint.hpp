// What a regular file is now, to tell later whether anyone changed it: its size, the CRC-32 of its
// content and its modification time, all taken from one opening of the file. Stands in for
// GetFileSizeEx, GetFileTime and a CRC pass over ReadFile.
//
// The file is opened as open_shared_file opens it for reading (walked by descriptor, never through
// a planted link, a regular file only), so the three values describe one and the same file. A file
// that cannot be opened or read gives nothing and sets `error` (a Win32 code).
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <optional>
#include <system_error>

namespace platform::kernel {

struct file_fingerprint {
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
    std::int64_t modified_ns = 0;  // modification time, nanoseconds since 1970 (UTC)

    bool operator==(const file_fingerprint&) const = default;
};

std::optional<file_fingerprint> fingerprint_file(const boost::filesystem::path& path, std::error_code& error);

}  // namespace platform::kernel
