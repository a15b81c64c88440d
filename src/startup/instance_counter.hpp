// The running-instance counter: a machine-wide semaphore in which every process of the application
// id holds one count while it runs. The installer counts itself, and the installed product does the
// same, so a count above one means the product (or another installer) is running.
#pragma once

#include "platform/sync/named_semaphore.hpp"

#include <cstdint>
#include <string>
#include <string_view>

// Appended to the application id to name the counter.
inline constexpr std::string_view kInstanceCounterSuffix = ".{a3526b56-ca7c-4e16-8a26-da7758a378fd}";

struct InstanceCounter {
    // Creates or opens the counter of the application id and adds this process's count. Without a
    // handle (creation failed) nothing is counted.
    explicit InstanceCounter(std::string_view applicationId);
    // Gives back the counts still held.
    ~InstanceCounter();
    InstanceCounter(const InstanceCounter&) = delete;
    InstanceCounter& operator=(const InstanceCounter&) = delete;

    platform::sync::named_semaphore handle;
    std::int32_t held = 0;  // counts added by this process and not yet taken back
};

// The process's counter under GetApplicationId(), created and counted on first use.
InstanceCounter& GetInstanceCounter();

// The number of counts all processes hold, this one included; 0 when the counter has no handle or
// cannot be asked.
std::int32_t CountRunningInstances(InstanceCounter& counter);
