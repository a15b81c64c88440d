#include "security/entry_points.hpp"

#include "platform/kernel/dynamic_library.hpp"
#include "security/hresult.hpp"

#include <array>
#include <atomic>

namespace security::entry_points {
namespace {

constexpr const char* library_name = "advapi32.dll";

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
// Never freed: the bound addresses stay valid for the life of the process.
std::atomic<platform::kernel::dynamic_library*> module{nullptr};

platform::kernel::dynamic_library* the_module() {
    if (auto* loaded = module.load(std::memory_order_acquire)) {
        return loaded;
    }
    using platform::kernel::dynamic_library;
    std::error_code error;
    dynamic_library library = dynamic_library::find_loaded(library_name, error);
    if (!library) {
        library = dynamic_library::load(library_name, platform::kernel::search_default_dirs, error);
    }
    if (!library) {
        library = dynamic_library::load(library_name, platform::kernel::load_default, error);
    }
    if (!library) {
        throw_hresult(E_UNEXPECTED);
    }
    auto* mine = new dynamic_library(std::move(library));
    platform::kernel::dynamic_library* expected = nullptr;
    if (!module.compare_exchange_strong(expected, mine, std::memory_order_acq_rel)) {
        delete mine;  // another thread was first; its handle is the one kept
        return expected;
    }
    return mine;
}

}  // namespace

void* bind(id which) {
    const auto index = static_cast<std::size_t>(which);
    if (void* known = slots.at(index).load(std::memory_order_acquire)) {
        return known;
    }
    std::error_code error;
    void* address = the_module()->entry_point(names[index], error);
    if (!address) {
        throw_hresult(E_NOTIMPL);
    }
    slots[index].store(address, std::memory_order_release);
    return address;
}

}  // namespace security::entry_points
