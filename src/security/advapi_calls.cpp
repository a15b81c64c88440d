#include "security/advapi_calls.hpp"

#include "security/entry_points.hpp"
#include "security/wide_text.hpp"

namespace security::api {
namespace advapi = platform::advapi;
using entry_points::bound;
using entry_points::id;

namespace {

// The last error kept here while the library cannot be used.
thread_local DWORD own_last_error = 0;

void check(advapi::BOOL result) {
    if (!result) {
        ThrowLastError();
    }
}

void require_valid_sid(PSID sid) {
    if (!IsValidSid(sid)) {
        throw_hresult(E_INVALIDARG);
    }
}

}  // namespace

DWORD GetLastError() noexcept {
    try {
        return bound<decltype(advapi::GetLastError)>(id::GetLastError)();
    } catch (const hresult_error&) {
        return own_last_error;
    }
}

void SetLastError(DWORD code) noexcept {
    try {
        bound<decltype(advapi::SetLastError)>(id::SetLastError)(code);
    } catch (const hresult_error&) {
        own_last_error = code;
    }
}

void ThrowLastError() {
    throw_hresult(hresult_from_win32(GetLastError()));
}

HANDLE OpenProcessToken(HANDLE process, DWORD desired_access) {
    auto* open = bound<decltype(advapi::OpenProcessToken)>(id::OpenProcessToken);
    HANDLE token = nullptr;
    check(open(process, desired_access, &token));
    return token;
}

HANDLE OpenThreadToken(bool open_as_self) {
    auto* open = bound<decltype(advapi::OpenThreadToken)>(id::OpenThreadToken);
    HANDLE token = nullptr;
    if (open(advapi::current_thread_handle(), advapi::TOKEN_QUERY, open_as_self ? 1 : 0, &token)) {
        return token;
    }
    if (GetLastError() != advapi::ERROR_NO_TOKEN) {
        ThrowLastError();
    }
    return OpenProcessToken(advapi::current_process_handle(), advapi::TOKEN_QUERY);
}

void AdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES* new_state, DWORD buffer_length,
                           TOKEN_PRIVILEGES* previous_state, DWORD* return_length) {
    auto* adjust = bound<decltype(advapi::AdjustTokenPrivileges)>(id::AdjustTokenPrivileges);
    if (!adjust(token, 0, new_state, buffer_length, previous_state, return_length) ||
        GetLastError() != advapi::ERROR_SUCCESS) {
        ThrowLastError();
    }
}

LUID LookupPrivilegeValueW(const std::string& name) {
    auto* lookup = bound<decltype(advapi::LookupPrivilegeValueW)>(id::LookupPrivilegeValueW);
    const std::u16string wide = to_utf16(name);
    LUID luid{};
    check(lookup(nullptr, wide.c_str(), &luid));
    return luid;
}

void CloseHandle(HANDLE object) {
    check(bound<decltype(advapi::CloseHandle)>(id::CloseHandle)(object));
}

PSID AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY& authority, BYTE count, DWORD sub0, DWORD sub1, DWORD sub2,
                              DWORD sub3, DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7) {
    auto* allocate = bound<decltype(advapi::AllocateAndInitializeSid)>(id::AllocateAndInitializeSid);
    PSID sid = nullptr;
    check(allocate(&authority, count, sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7, &sid));
    return sid;
}

bool IsValidSid(PSID sid) {
    return bound<decltype(advapi::IsValidSid)>(id::IsValidSid)(sid) != 0;
}

DWORD GetLengthSid(PSID sid) {
    require_valid_sid(sid);
    return bound<decltype(advapi::GetLengthSid)>(id::GetLengthSid)(sid);
}

bool EqualSid(PSID sid1, PSID sid2) {
    require_valid_sid(sid1);
    require_valid_sid(sid2);
    return bound<decltype(advapi::EqualSid)>(id::EqualSid)(sid1, sid2) != 0;
}

void FreeSid(PSID sid) noexcept {
    try {
        bound<decltype(advapi::FreeSid)>(id::FreeSid)(sid);
    } catch (const hresult_error&) {
        // Nothing to free it with.
    }
}

void InitializeAcl(ACL* acl, DWORD length) {
    check(bound<decltype(advapi::InitializeAcl)>(id::InitializeAcl)(acl, length, advapi::ACL_REVISION));
}

void GetAclInformation(ACL* acl, void* information, DWORD length, ACL_INFORMATION_CLASS information_class) {
    check(
        bound<decltype(advapi::GetAclInformation)>(id::GetAclInformation)(acl, information, length, information_class));
}

void* GetAce(ACL* acl, DWORD index) {
    void* ace = nullptr;
    check(bound<decltype(advapi::GetAce)>(id::GetAce)(acl, index, &ace));
    return ace;
}

void AddAce(ACL* acl, DWORD start_index, void* ace_list, DWORD ace_list_length) {
    check(
        bound<decltype(advapi::AddAce)>(id::AddAce)(acl, advapi::ACL_REVISION, start_index, ace_list, ace_list_length));
}

void AddAccessAllowedAce(ACL* acl, DWORD mask, PSID sid) {
    check(bound<decltype(advapi::AddAccessAllowedAce)>(id::AddAccessAllowedAce)(acl, advapi::ACL_REVISION, mask, sid));
}

void AddAccessAllowedAceEx(ACL* acl, DWORD flags, DWORD mask, PSID sid) {
    decltype(advapi::AddAccessAllowedAceEx)* add = nullptr;
    if (flags != 0) {
        try {
            add = bound<decltype(advapi::AddAccessAllowedAceEx)>(id::AddAccessAllowedAceEx);
        } catch (const hresult_error& thrown) {
            const HRESULT hr = thrown.hresult();
            if (hr != E_NOTIMPL) {
                throw;
            }
        }
    }
    if (!add) {
        AddAccessAllowedAce(acl, mask, sid);
        return;
    }
    check(add(acl, advapi::ACL_REVISION, flags, mask, sid));
}

void InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) {
    check(bound<decltype(advapi::InitializeSecurityDescriptor)>(id::InitializeSecurityDescriptor)(
        descriptor, advapi::SECURITY_DESCRIPTOR_REVISION));
}

bool IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) {
    return bound<decltype(advapi::IsValidSecurityDescriptor)>(id::IsValidSecurityDescriptor)(descriptor) != 0;
}

DaclInfo GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor) {
    advapi::BOOL present = 0;
    advapi::BOOL defaulted = 0;
    ACL* dacl = nullptr;
    check(bound<decltype(advapi::GetSecurityDescriptorDacl)>(id::GetSecurityDescriptorDacl)(descriptor, &present, &dacl,
                                                                                            &defaulted));
    return present ? DaclInfo{true, dacl, defaulted != 0} : DaclInfo{};
}

void SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, bool present, ACL* dacl, bool defaulted) {
    check(bound<decltype(advapi::SetSecurityDescriptorDacl)>(id::SetSecurityDescriptorDacl)(descriptor, present ? 1 : 0,
                                                                                            dacl, defaulted ? 1 : 0));
}

void SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR descriptor, PSID group, bool defaulted) {
    check(bound<decltype(advapi::SetSecurityDescriptorGroup)>(id::SetSecurityDescriptorGroup)(descriptor, group,
                                                                                              defaulted ? 1 : 0));
}

void SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID owner, bool defaulted) {
    check(bound<decltype(advapi::SetSecurityDescriptorOwner)>(id::SetSecurityDescriptorOwner)(descriptor, owner,
                                                                                              defaulted ? 1 : 0));
}

SECURITY_DESCRIPTOR_CONTROL GetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    check(bound<decltype(advapi::GetSecurityDescriptorControl)>(id::GetSecurityDescriptorControl)(descriptor, &control,
                                                                                                  &revision));
    return control;
}

void SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor, SECURITY_DESCRIPTOR_CONTROL bits_of_interest,
                                  SECURITY_DESCRIPTOR_CONTROL bits_to_set) {
    check(bound<decltype(advapi::SetSecurityDescriptorControl)>(id::SetSecurityDescriptorControl)(
        descriptor, bits_of_interest, bits_to_set));
}

DWORD GetFileSecurityW(const boost::filesystem::path& file, PSECURITY_DESCRIPTOR descriptor, DWORD length) {
    auto* get = bound<decltype(advapi::GetFileSecurityW)>(id::GetFileSecurityW);
    const std::u16string wide = to_utf16(file.string());
    DWORD needed = 0;
    if (!get(wide.c_str(), advapi::DACL_SECURITY_INFORMATION, descriptor, length, &needed) &&
        !(descriptor == nullptr && GetLastError() == advapi::ERROR_INSUFFICIENT_BUFFER)) {
        ThrowLastError();
    }
    return needed;
}

void SetFileSecurityW(const boost::filesystem::path& file, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor) {
    auto* set = bound<decltype(advapi::SetFileSecurityW)>(id::SetFileSecurityW);
    const std::u16string wide = to_utf16(file.string());
    check(set(wide.c_str(), information, descriptor));
}

bool AccessCheck(PSECURITY_DESCRIPTOR descriptor, HANDLE token, GENERIC_MAPPING& mapping, PRIVILEGE_SET* privilege_set,
                 DWORD* privilege_set_length, DWORD* granted_access) {
    auto* access_check = bound<decltype(advapi::AccessCheck)>(id::AccessCheck);
    advapi::BOOL status = 0;
    check(access_check(descriptor, token, 1, &mapping, privilege_set, privilege_set_length, granted_access, &status));
    return status != 0;
}

void ImpersonateSelf() {
    check(bound<decltype(advapi::ImpersonateSelf)>(id::ImpersonateSelf)(advapi::SecurityImpersonation));
}

bool RevertToSelf() noexcept {
    try {
        return bound<decltype(advapi::RevertToSelf)>(id::RevertToSelf)() != 0;
    } catch (const hresult_error&) {
        SetLastError(advapi::ERROR_CALL_NOT_IMPLEMENTED);
        return false;
    }
}

bool CheckTokenMembership(HANDLE token, PSID sid) {
    auto* check_membership = bound<decltype(advapi::CheckTokenMembership)>(id::CheckTokenMembership);
    advapi::BOOL is_member = 0;
    check(check_membership(token, sid, &is_member));
    return is_member != 0;
}

}  // namespace security::api
