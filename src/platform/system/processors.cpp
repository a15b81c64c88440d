#include "platform/system/processors.hpp"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace platform::system {

unsigned available_processors() {
    unsigned count = std::thread::hardware_concurrency();
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof(allowed), &allowed) == 0) {
        const auto in_mask = static_cast<unsigned>(CPU_COUNT(&allowed));
        count = count == 0 ? in_mask : std::min(count, in_mask);
    }
    return std::max(count, 1U);
}

}  // namespace platform::system
