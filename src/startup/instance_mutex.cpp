#include "startup/instance_mutex.hpp"

#include "platform/kernel/win32_error.hpp"
#include "security/hresult.hpp"
#include "startup/named_object_security.hpp"

#include <chrono>

namespace objects = platform::sync;
namespace kernel = platform::kernel;

InstanceMutex::InstanceMutex(std::string_view name, bool initialOwner, bool global) {
    const std::string fullName = global ? "Global\\" + std::string(name) : std::string(name);
    try {
        handle =
            objects::named_mutex::create(fullName, initialOwner, MakeEveryoneObjectSecurity(objects::mutex_all_access));
        owned = handle && initialOwner && handle.last_error() != kernel::win32::already_exists;
        if (!handle) {
            creationError = handle.last_error();
        }
        kernel::set_last_error(handle.last_error());
    } catch (const security::hresult_error& thrown) {
        const security::HRESULT hr = thrown.hresult();
        creationError = static_cast<std::uint32_t>(hr);
        kernel::set_last_error(creationError);
    }
}

InstanceMutex::~InstanceMutex() {
    Release();
}

bool InstanceMutex::TryAcquire() {
    if (owned) {
        return true;  // ownership would nest, and one Release must give the mutex up
    }
    const objects::wait_result result = handle.wait(std::chrono::milliseconds(0));
    owned = result == objects::wait_result::object_0 || result == objects::wait_result::abandoned;
    return owned;
}

void InstanceMutex::Release() {
    if (owned) {
        (void)handle.release();
        owned = false;
    }
}

std::string InstallerMutexName(std::string_view applicationId) {
    return std::string(applicationId) + std::string(kInstallerMutexSuffix);
}
