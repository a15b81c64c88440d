// The outcome of waiting for a kernel object (a process, a mutex, a semaphore), with the values
// WaitForSingleObject returns. Stands in for WaitForSingleObject's result and INFINITE.
#pragma once

#include <chrono>
#include <cstdint>

namespace platform::sync {

enum class wait_result : std::uint32_t {
    object_0 = 0x00000000,   // signalled: the process ended, the mutex or a count is now held
    abandoned = 0x00000080,  // the mutex is held now, but its previous owner ended without releasing it
    timeout = 0x00000102,
    failed = 0xFFFFFFFF,
};

// A timeout that never expires.
inline constexpr std::chrono::milliseconds infinite = std::chrono::milliseconds::max();

}  // namespace platform::sync
