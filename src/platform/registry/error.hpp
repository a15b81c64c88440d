// Registry failures as Windows error numbers (the LSTATUS values of the registry functions), carried in
// std::error_code so that callers test them as `ec == registry::errc::file_not_found` and show
// ec.value() where an error number is displayed.
#pragma once

#include <system_error>

namespace platform::registry {

// Success is an empty std::error_code (test it with `!ec`), as everywhere else.
enum class errc {
    file_not_found = 2,  // no such key or value
    access_denied = 5,   // the hive's storage may not be written or read by this account
    invalid_handle = 6,  // an empty Key was used
    not_enough_memory = 8,
    invalid_data = 13,       // stored data does not have the shape asked for
    invalid_parameter = 87,  // a name that is not valid UTF-8, contains a null or is too long
    disk_full = 112,
    bad_pathname = 161,    // a key path with an empty component
    busy = 170,            // another process held the store longer than the wait allows
    already_exists = 183,  // a save file that already exists
    more_data = 234,       // the caller's buffer is smaller than the value
    cantopen = 1011,       // the hive's storage cannot be opened
    cantread = 1012,
    cantwrite = 1013,
    registry_corrupt = 1015,    // a damaged store or save file
    registry_io_failed = 1016,  // any other failure of the store
    key_deleted = 1018,         // the key was deleted while it was open
    privilege_not_held = 1314,  // save without the backup privilege, restore without the restore privilege
    datatype_mismatch = 1629,   // a value of the right type but the wrong size
    unsupported_type = 1630,    // a value of another type than the one asked for
};

const std::error_category& registry_category() noexcept;

inline std::error_code make_error_code(errc e) noexcept {
    return {static_cast<int>(e), registry_category()};
}

}  // namespace platform::registry

template <>
struct std::is_error_code_enum<platform::registry::errc> : std::true_type {};
