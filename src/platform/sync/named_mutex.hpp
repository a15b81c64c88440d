// A mutex shared by every process of the machine under a global name. Stands in for CreateMutexW,
// WaitForSingleObject on a mutex, ReleaseMutex and CloseHandle.
//
// Ownership belongs to a thread and nests, as on Windows. A mutex whose owner ends without releasing
// it (its process ends or is killed, or closes its last handle) is acquired by the next waiter as
// abandoned. The object lives while some process has it open; created again afterwards, it starts
// afresh.
#pragma once

#include "platform/sync/object_security.hpp"
#include "platform/sync/wait_result.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>

namespace platform::sync {

namespace detail {
class mutex_state;
}

class named_mutex {
public:
    // Creates the mutex or opens the existing one. last_error() is then 0, error_already_exists when
    // it existed, or the reason the handle is empty. With initial_owner, a mutex created here is
    // owned by the calling thread; an existing one is only opened.
    static named_mutex create(std::string_view name, bool initial_owner, const object_security& security);

    named_mutex() = default;
    named_mutex(named_mutex&&) noexcept = default;
    named_mutex& operator=(named_mutex&&) noexcept = default;
    ~named_mutex();

    explicit operator bool() const { return m_state != nullptr; }
    std::uint32_t last_error() const { return m_last_error; }

    // object_0 or abandoned when the calling thread owns the mutex now (once more, if it owned it
    // already); timeout while another thread or process keeps it; failed for an empty handle.
    wait_result wait(std::chrono::milliseconds timeout);

    // Gives up one level of the calling thread's ownership; false when that thread does not own it.
    bool release();

private:
    std::shared_ptr<detail::mutex_state> m_state;
    std::uint32_t m_last_error = 0;
};

}  // namespace platform::sync
