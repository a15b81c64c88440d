#include "startup/instance_counter.hpp"

#include "startup/application_id.hpp"
#include "startup/named_object_security.hpp"

#include <chrono>

namespace objects = platform::sync;

namespace {

constexpr std::int32_t kMaximumCount = 0x7FFFFFFF;

objects::named_semaphore CreateCounter(std::string_view applicationId) {
    const std::string name = "Global\\" + std::string(applicationId) + std::string(kInstanceCounterSuffix);
    try {
        return objects::named_semaphore::create(name, 0, kMaximumCount,
                                                MakeEveryoneObjectSecurity(objects::semaphore_all_access));
    } catch (...) {
        // Without the descriptor there is no counter, as when its creation fails: the process is
        // simply not counted.
        return {};
    }
}

}  // namespace

InstanceCounter::InstanceCounter(std::string_view applicationId) : handle(CreateCounter(applicationId)) {
    if (handle && handle.release(1)) {
        held = 1;
    }
}

InstanceCounter::~InstanceCounter() {
    if (!handle) {
        return;
    }
    std::int32_t taken = 0;
    while (taken < held) {
        if (handle.wait(std::chrono::milliseconds(0)) != objects::wait_result::object_0) {
            // Counts of other processes must not be taken instead: put back what this pass took.
            if (taken > 0) {
                (void)handle.release(taken);
            }
            break;
        }
        ++taken;
    }
    if (held < 0) {
        (void)handle.release(-held);
    }
    held = 0;
}

InstanceCounter& GetInstanceCounter() {
    static InstanceCounter counter(GetApplicationId());
    return counter;
}

std::int32_t CountRunningInstances(InstanceCounter& counter) {
    const objects::release_outcome added = counter.handle.release(1);
    if (!added) {
        return 0;
    }
    (void)counter.handle.wait(std::chrono::milliseconds(0));
    return added.previous_count;
}
