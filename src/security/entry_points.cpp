#include "security/entry_points.hpp"

#include "platform/kernel/security_library.hpp"
#include "security/hresult.hpp"

#include <array>
#include <atomic>

namespace security::entry_points {
namespace {

constexpr std::array<const char*, static_cast<std::size_t>(id::count)> names = {
    "OpenProcessToken",
    "OpenThreadToken",
    "AdjustTokenPrivileges",
    "LookupPrivilegeValueW",
    "AllocateAndInitializeSid",
    "GetLengthSid",
    "IsValidSid",
    "EqualSid",
    "FreeSid",
    "InitializeAcl",
    "GetAclInformation",
    "GetAce",
    "AddAce",
    "AddAccessAllowedAce",
    "AddAccessAllowedAceEx",
    "InitializeSecurityDescriptor",
    "IsValidSecurityDescriptor",
    "GetSecurityDescriptorDacl",
    "SetSecurityDescriptorDacl",
    "SetSecurityDescriptorGroup",
    "SetSecurityDescriptorOwner",
    "GetSecurityDescriptorControl",
    "SetSecurityDescriptorControl",
    "GetFileSecurityW",
    "SetFileSecurityW",
    "AccessCheck",
    "ImpersonateSelf",
    "RevertToSelf",
    "CheckTokenMembership",
    "CloseHandle",
    "GetLastError",
    "SetLastError",
};

// Slots are filled without a lock: two threads binding the same name store the same address.
std::array<std::atomic<void*>, names.size()> slots{};

const platform::kernel::dynamic_library& the_module() {
    const platform::kernel::dynamic_library* library = platform::kernel::security_library();
    if (!library) {
        throw_hresult(E_UNEXPECTED);
    }
    return *library;
}

}  // namespace

void* bind(id which) {
    const auto index = static_cast<std::size_t>(which);
    if (void* known = slots.at(index).load(std::memory_order_acquire)) {
        return known;
    }
    std::error_code error;
    void* address = the_module().entry_point(names[index], error);
    if (!address) {
        throw_hresult(E_NOTIMPL);
    }
    slots[index].store(address, std::memory_order_release);
    return address;
}

}  // namespace security::entry_points
