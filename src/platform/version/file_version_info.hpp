// Reads the version block of a program file: its resource of type RT_VERSION (16), id 1. Stands in
// for GetFileVersionInfoSizeW and GetFileVersionInfoW.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform::version {

inline constexpr std::uint32_t version_resource_id = 1;

// GetFileVersionInfoSizeW: the length of the file's version block; 0 when the file cannot be read,
// is not a program file, or carries no well-formed version resource.
std::uint32_t file_version_info_size(const boost::filesystem::path& file);

// GetFileVersionInfoW: copies the file's version block into `buffer` (at most buffer.size() bytes).
// False, leaving the buffer untouched, when the file has no version block.
bool file_version_info(const boost::filesystem::path& file, std::span<std::byte> buffer);

// The running program's own version block, in place in its resource section; empty when it has none.
std::span<const std::byte> own_version_info();

}  // namespace platform::version
