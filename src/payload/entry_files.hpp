// What the extraction does to the file system for each entry: preparing and opening its file,
// clearing a read-only attribute, opening the access of recorded shared folders, and reading a
// written file back for its CRC-32.
#pragma once

#include "payload/archive_target.hpp"

#include <boost/filesystem/path.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>
#include <system_error>

namespace payload {

// A failure of an operation on one file, carrying the file's path.
class file_error : public std::system_error {
public:
    file_error(std::error_code code, boost::filesystem::path path, const char* what)
        : std::system_error(code, what), m_path(std::move(path)) {}
    const boost::filesystem::path& path() const noexcept { return m_path; }

private:
    boost::filesystem::path m_path;
};

// The access granted to the local Users group on recorded folders, inherited by what they hold.
inline constexpr std::uint32_t users_folder_access = 0x1F01FF;
inline constexpr std::uint8_t users_folder_ace_flags = 3;  // objects and containers inherit

// Makes a destination ready and opens it: an existing file is made writable, missing folders are
// created, recorded folders on the way get their access opened, and the file is opened for writing
// (created or truncated) in the secure sharing mode, never through a symbolic link. A folder that
// cannot be created throws boost::filesystem::filesystem_error; a file that cannot be opened throws
// file_error. The stream is buffered: its flush writes out what it holds, and it throws
// std::system_error when a write fails.
std::unique_ptr<std::ostream> open_entry_output(const boost::filesystem::path& destination, access_folder_list& access);

// Clears the read-only attribute of an existing regular file. A symbolic link is left alone: its
// target is never written through, so there is nothing to unlock there. Never fails.
void make_writable(const boost::filesystem::path& path) noexcept;

// Grants the local Users group access to every recorded folder, not yet done, that is `folder` or
// one of its existing ancestors. Each is tried once; a failed grant is not retried. Never fails.
void open_folder_access(const boost::filesystem::path& folder, access_folder_list& access) noexcept;

// The CRC-32 (the common one, as Boost's crc_32_type) of the file's content on disk, read in the
// secure sharing mode. Throws file_error when it cannot be opened or read.
std::uint32_t file_crc32(const boost::filesystem::path& path);

// file_crc32 again after each sharing violation (another opener is writing the file), `retries`
// times at most, `pause` apart. Every other failure stands at once.
std::uint32_t file_crc32_retrying(const boost::filesystem::path& path, int retries = 3,
                                  std::chrono::milliseconds pause = std::chrono::seconds(1));

// Whether a failure is the operating system's sharing violation.
bool is_sharing_violation(const std::exception& failure) noexcept;

}  // namespace payload
