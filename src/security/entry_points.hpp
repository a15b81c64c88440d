// The security functions of "advapi32.dll", bound by name at first use: a function the library does
// not have is an ordinary error (E_NOTIMPL) rather than a failure to start, and a library that cannot
// be loaded is E_UNEXPECTED. Each slot, and the module handle, is kept until the process ends.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

#include <cstddef>

namespace security::entry_points {

enum class id : std::size_t {
    OpenProcessToken,
    OpenThreadToken,
    AdjustTokenPrivileges,
    LookupPrivilegeValueW,
    AllocateAndInitializeSid,
    GetLengthSid,
    IsValidSid,
    EqualSid,
    FreeSid,
    InitializeAcl,
    GetAclInformation,
    GetAce,
    AddAce,
    AddAccessAllowedAce,
    AddAccessAllowedAceEx,
    InitializeSecurityDescriptor,
    IsValidSecurityDescriptor,
    GetSecurityDescriptorDacl,
    SetSecurityDescriptorDacl,
    SetSecurityDescriptorGroup,
    SetSecurityDescriptorOwner,
    GetSecurityDescriptorControl,
    SetSecurityDescriptorControl,
    GetFileSecurityW,
    SetFileSecurityW,
    AccessCheck,
    ImpersonateSelf,
    RevertToSelf,
    CheckTokenMembership,
    // The token handles and the last error live in the library too.
    CloseHandle,
    GetLastError,
    SetLastError,
    count,
};

// The entry point, bound on first use; throws E_UNEXPECTED or E_NOTIMPL.
void* bind(id which);

// The same, typed by the library's declaration: bound<decltype(platform::advapi::GetAce)>(id::GetAce).
template <class Function>
Function* bound(id which) {
    return reinterpret_cast<Function*>(bind(which));
}

}  // namespace security::entry_points
