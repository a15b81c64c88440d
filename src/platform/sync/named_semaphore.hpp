// A counting semaphore shared by every process of the machine under a global name. Stands in for
// CreateSemaphoreW, ReleaseSemaphore, WaitForSingleObject on a semaphore and CloseHandle.
//
// Unlike a Windows semaphore, the counts a process adds stay only while it has the semaphore open:
// they are dropped when it closes its last handle or ends, killed or not, just as a kernel frees
// a dead process's handles. So a count that stands for "this program runs" never outlives the
// program. A wait takes one of the caller's own counts first, then one of the initial counts, then
// one of another process's. The object lives while some process has it open; created again
// afterwards, it starts afresh.
#pragma once

#include "platform/sync/object_security.hpp"
#include "platform/sync/wait_result.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>

namespace platform::sync {

namespace detail {
class semaphore_state;
}

struct release_outcome {
    std::uint32_t error = 0;          // 0, or the Windows error code of the failure
    std::int32_t previous_count = 0;  // the count before the release, on success

    explicit operator bool() const { return error == 0; }
};

class named_semaphore {
public:
    // Creates the semaphore with the initial and maximum counts, or opens the existing one (whose
    // counts stay as they are). last_error() is then 0, error_already_exists when it existed, or the
    // reason the handle is empty (error_invalid_parameter unless 0 <= initial <= maximum, 0 < maximum).
    static named_semaphore create(std::string_view name, std::int32_t initial_count, std::int32_t maximum_count,
                                  const object_security& security);

    named_semaphore() = default;
    named_semaphore(named_semaphore&&) noexcept = default;
    named_semaphore& operator=(named_semaphore&&) noexcept = default;
    ~named_semaphore();

    explicit operator bool() const { return m_state != nullptr; }
    std::uint32_t last_error() const { return m_last_error; }

    // object_0 when a count was taken, timeout when none came within the timeout, failed for an
    // empty handle.
    wait_result wait(std::chrono::milliseconds timeout);

    // Adds count counts of this process. Fails with error_invalid_parameter for a count below 1
    // and error_too_many_posts when the maximum would be passed; the counts stay as they were then.
    release_outcome release(std::int32_t count = 1);

private:
    std::shared_ptr<detail::semaphore_state> m_state;
    std::uint32_t m_last_error = 0;
};

}  // namespace platform::sync
