// The count this program adds to the running-instance counter for as long as it runs: the installer
// reads the counter to refuse to replace a program that is in use. The counter is the semaphore
// "Global\" + application id + the family's suffix, usable by every account.
#pragma once

#include "platform/sync/named_semaphore.hpp"

#include <cstdint>
#include <string>

namespace quillon {

inline constexpr const char* running_instance_suffix = ".{a3526b56-ca7c-4e16-8a26-da7758a378fd}";

// The program family's id: "ApplicationId" of the program's own version resource, else its
// "ProductName", else the program file's base name.
std::string application_id();

class running_instance {
public:
    // Opens the counter and, unless only watching, adds this process's count. Without a counter (it
    // could not be created) the program still runs.
    enum class mode { count_this_process, watch_only };
    explicit running_instance(mode m = mode::count_this_process);
    // Takes this process's count back.
    ~running_instance();
    running_instance(const running_instance&) = delete;
    running_instance& operator=(const running_instance&) = delete;

    bool counted() const { return m_counted; }

    // The counts every process of the family holds, this one's included; 0 when the counter is
    // unusable.
    std::int32_t running_count();

private:
    platform::sync::named_semaphore m_counter;
    bool m_counted = false;
};

}  // namespace quillon
