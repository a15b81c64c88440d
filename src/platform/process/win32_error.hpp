// Windows error codes for failures of the operating system, so that callers report them the way the
// installer always has. Stands in for GetLastError after a failed kernel call.
#pragma once

#include <cstdint>

namespace platform::process {

inline constexpr std::uint32_t error_success = 0;
inline constexpr std::uint32_t error_file_not_found = 2;
inline constexpr std::uint32_t error_path_not_found = 3;
inline constexpr std::uint32_t error_too_many_open_files = 4;
inline constexpr std::uint32_t error_access_denied = 5;
inline constexpr std::uint32_t error_invalid_handle = 6;
inline constexpr std::uint32_t error_not_enough_memory = 8;
inline constexpr std::uint32_t error_write_protect = 19;
inline constexpr std::uint32_t error_gen_failure = 31;
inline constexpr std::uint32_t error_sharing_violation = 32;
inline constexpr std::uint32_t error_not_supported = 50;
inline constexpr std::uint32_t error_file_exists = 80;
inline constexpr std::uint32_t error_invalid_parameter = 87;
inline constexpr std::uint32_t error_disk_full = 112;
inline constexpr std::uint32_t error_invalid_name = 123;
inline constexpr std::uint32_t error_dir_not_empty = 145;
inline constexpr std::uint32_t error_busy = 170;
inline constexpr std::uint32_t error_already_exists = 183;
inline constexpr std::uint32_t error_bad_exe_format = 193;
inline constexpr std::uint32_t error_filename_exced_range = 206;
inline constexpr std::uint32_t error_directory = 267;
inline constexpr std::uint32_t error_not_owner = 288;
inline constexpr std::uint32_t error_too_many_posts = 298;
inline constexpr std::uint32_t error_io_device = 1117;
inline constexpr std::uint32_t error_no_system_resources = 1450;
inline constexpr std::uint32_t error_timeout = 1460;
inline constexpr std::uint32_t error_cant_resolve_filename = 1921;

// The Windows error code closest to an errno value; error_gen_failure for one without a counterpart.
std::uint32_t win32_error_from_errno(int error_number);

}  // namespace platform::process
