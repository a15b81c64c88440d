// Windows error codes for the platform services: errno mapped to the code a Windows call would have
// given, the thread's last-error value, and an error category whose messages are the system texts.
// Stands in for GetLastError, SetLastError and HRESULT_FROM_WIN32.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <system_error>

namespace platform::kernel {

// The Win32 codes the platform services produce or the installer tests for.
namespace win32 {
inline constexpr std::uint32_t success = 0;
inline constexpr std::uint32_t invalid_function = 1;
inline constexpr std::uint32_t file_not_found = 2;
inline constexpr std::uint32_t path_not_found = 3;
inline constexpr std::uint32_t too_many_open_files = 4;
inline constexpr std::uint32_t access_denied = 5;
inline constexpr std::uint32_t invalid_handle = 6;
inline constexpr std::uint32_t not_enough_memory = 8;
inline constexpr std::uint32_t bad_environment = 10;
inline constexpr std::uint32_t bad_format = 11;
inline constexpr std::uint32_t outofmemory = 14;
inline constexpr std::uint32_t not_same_device = 17;
inline constexpr std::uint32_t write_protect = 19;
inline constexpr std::uint32_t bad_unit = 20;
inline constexpr std::uint32_t not_ready = 21;
inline constexpr std::uint32_t crc = 23;
inline constexpr std::uint32_t sharing_violation = 32;
inline constexpr std::uint32_t lock_violation = 33;
inline constexpr std::uint32_t sharing_buffer_exceeded = 36;
inline constexpr std::uint32_t handle_disk_full = 39;
inline constexpr std::uint32_t not_supported = 50;
inline constexpr std::uint32_t file_exists = 80;
inline constexpr std::uint32_t invalid_parameter = 87;
inline constexpr std::uint32_t broken_pipe = 109;
inline constexpr std::uint32_t disk_full = 112;
inline constexpr std::uint32_t call_not_implemented = 120;
inline constexpr std::uint32_t insufficient_buffer = 122;
inline constexpr std::uint32_t invalid_name = 123;
inline constexpr std::uint32_t mod_not_found = 126;
inline constexpr std::uint32_t proc_not_found = 127;
inline constexpr std::uint32_t wait_no_children = 128;
inline constexpr std::uint32_t seek_on_device = 132;
inline constexpr std::uint32_t dir_not_empty = 145;
inline constexpr std::uint32_t bad_pathname = 161;
inline constexpr std::uint32_t busy = 170;
inline constexpr std::uint32_t already_exists = 183;
inline constexpr std::uint32_t filename_exced_range = 206;
inline constexpr std::uint32_t file_too_large = 223;
inline constexpr std::uint32_t wait_timeout = 258;
inline constexpr std::uint32_t no_more_items = 259;
inline constexpr std::uint32_t directory = 267;
inline constexpr std::uint32_t not_owner = 288;
inline constexpr std::uint32_t too_many_posts = 298;
inline constexpr std::uint32_t arithmetic_overflow = 534;
inline constexpr std::uint32_t operation_aborted = 995;
inline constexpr std::uint32_t noaccess = 998;
inline constexpr std::uint32_t no_token = 1008;
inline constexpr std::uint32_t no_unicode_translation = 1113;
inline constexpr std::uint32_t io_device = 1117;
inline constexpr std::uint32_t possible_deadlock = 1131;
inline constexpr std::uint32_t too_many_links = 1142;
inline constexpr std::uint32_t cancelled = 1223;
inline constexpr std::uint32_t unidentified_error = 1287;
inline constexpr std::uint32_t not_all_assigned = 1300;
inline constexpr std::uint32_t no_such_privilege = 1313;
inline constexpr std::uint32_t privilege_not_held = 1314;
inline constexpr std::uint32_t file_corrupt = 1392;
inline constexpr std::uint32_t no_system_resources = 1450;
inline constexpr std::uint32_t timeout = 1460;
inline constexpr std::uint32_t cant_resolve_filename = 1921;
}  // namespace win32

// The HRESULT values the installer raises or shows.
namespace hresult {
inline constexpr std::int32_t s_ok = 0;
inline constexpr std::int32_t s_false = 1;
inline constexpr std::int32_t e_notimpl = static_cast<std::int32_t>(0x80004001);
inline constexpr std::int32_t e_nointerface = static_cast<std::int32_t>(0x80004002);
inline constexpr std::int32_t e_pointer = static_cast<std::int32_t>(0x80004003);
inline constexpr std::int32_t e_abort = static_cast<std::int32_t>(0x80004004);
inline constexpr std::int32_t e_fail = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t e_unexpected = static_cast<std::int32_t>(0x8000FFFF);
inline constexpr std::int32_t e_accessdenied = static_cast<std::int32_t>(0x80070005);
inline constexpr std::int32_t e_handle = static_cast<std::int32_t>(0x80070006);
inline constexpr std::int32_t e_outofmemory = static_cast<std::int32_t>(0x8007000E);
inline constexpr std::int32_t e_invalidarg = static_cast<std::int32_t>(0x80070057);
}  // namespace hresult

// HRESULT_FROM_WIN32: codes that are already HRESULTs (zero or negative) pass unchanged.
constexpr std::int32_t hresult_from_win32(std::uint32_t code) {
    return static_cast<std::int32_t>(code) <= 0 ? static_cast<std::int32_t>(code)
                                                : static_cast<std::int32_t>(0x80070000u | (code & 0xFFFFu));
}

// The Win32 code for an errno value; unknown values give ERROR_UNIDENTIFIED_ERROR, 0 gives 0.
std::uint32_t win32_from_errno(int error_number);

// The same for a failure of an operation on `path`: ENOENT becomes ERROR_PATH_NOT_FOUND when the
// path's folder is missing too, as Windows tells a missing file from a missing folder.
std::uint32_t win32_from_errno(int error_number, const boost::filesystem::path& path);

// Category of Win32 codes; message() is the system text without its line break.
const std::error_category& win32_category();
std::error_code make_win32_error(std::uint32_t code);

// The calling thread's last-error value, kept per thread as Windows keeps it.
std::uint32_t last_error();
void set_last_error(std::uint32_t code);

// Records `code` as the thread's last error and returns it as an error_code: the one step every
// failing platform call ends with.
std::error_code fail_with(std::uint32_t code);
std::error_code fail_with_errno(int error_number, const boost::filesystem::path& path);

}  // namespace platform::kernel
