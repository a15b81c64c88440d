#include "running_instance.hpp"

#include "own_version.hpp"

#include <boost/filesystem/operations.hpp>

#include <chrono>
#include <cstdint>

namespace quillon {

std::string application_id() {
    for (const char* key : {"ApplicationId", "ProductName"}) {
        if (std::string id = own_version_string(key); !id.empty()) {
            return id;
        }
    }
    boost::system::error_code ec;
    return boost::filesystem::read_symlink("/proc/self/exe", ec).stem().string();
}

running_instance::running_instance(mode m) {
    using namespace platform::sync;
    m_counter = named_semaphore::create("Global\\" + application_id() + running_instance_suffix, 0, 0x7FFFFFFF,
                                        object_security::everyone(semaphore_all_access));
    m_counted = m == mode::count_this_process && m_counter && m_counter.release(1);
}

running_instance::~running_instance() {
    if (m_counted) {
        // A wait takes this process's own count first.
        m_counter.wait(std::chrono::milliseconds(0));
    }
}

std::int32_t running_instance::running_count() {
    if (!m_counter) {
        return 0;
    }
    // Adding a count reports how many there were; the extra one is taken back at once.
    const auto outcome = m_counter.release(1);
    if (!outcome) {
        return 0;
    }
    m_counter.wait(std::chrono::milliseconds(0));
    return outcome.previous_count;
}

}  // namespace quillon
