// The installer mutex: a machine-wide mutex that admits one installer at a time. A mutex left by an
// installer that ended while owning it is acquired as abandoned, so a crash never locks others out.
#pragma once

#include "platform/sync/named_mutex.hpp"

#include <cstdint>
#include <string>
#include <string_view>

// Appended to the application id to name the installer mutex.
inline constexpr std::string_view kInstallerMutexSuffix = ".{5ead623c-dfcd-474d-8e3c-e6978cac039e}";

class InstanceMutex {
public:
    // Creates or opens the mutex named `name` ("Global\" + name with `global`), accessible to every
    // account. The thread's last error afterwards is that of the creation. Without a handle
    // (creation failed, or its descriptor could not be built), TryAcquire fails.
    InstanceMutex(std::string_view name, bool initialOwner, bool global);
    // Releases the mutex when owned.
    ~InstanceMutex();
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    // Takes the mutex without waiting; true when this process owns it afterwards.
    bool TryAcquire();
    // Gives the mutex up when owned.
    void Release();

    platform::sync::named_mutex handle;
    bool owned = false;
    std::uint32_t creationError = 0;  // why there is no handle: a Windows code or an HRESULT
};

// The installer mutex's name for an application id: id + suffix.
std::string InstallerMutexName(std::string_view applicationId);
