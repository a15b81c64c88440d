// Thin wrappers of the bound security functions: each binds its function, calls it, and throws the
// HRESULT of the library's last error when it fails. Where a wrapper differs from a plain call, its
// comment says how.
#pragma once

#include "platform/advapi/advapi_abi.hpp"
#include "security/hresult.hpp"

#include <boost/filesystem/path.hpp>

#include <string>

namespace security::api {

using platform::advapi::ACL;
using platform::advapi::ACL_INFORMATION_CLASS;
using platform::advapi::BYTE;
using platform::advapi::DWORD;
using platform::advapi::GENERIC_MAPPING;
using platform::advapi::HANDLE;
using platform::advapi::LUID;
using platform::advapi::PRIVILEGE_SET;
using platform::advapi::PSECURITY_DESCRIPTOR;
using platform::advapi::PSID;
using platform::advapi::SECURITY_DESCRIPTOR_CONTROL;
using platform::advapi::SECURITY_INFORMATION;
using platform::advapi::SID_IDENTIFIER_AUTHORITY;
using platform::advapi::TOKEN_PRIVILEGES;

// The library's last error of this thread; without the library, the one SetLastError kept here.
DWORD GetLastError() noexcept;
void SetLastError(DWORD code) noexcept;
// Throws hresult_from_win32(GetLastError()).
[[noreturn]] void ThrowLastError();

HANDLE OpenProcessToken(HANDLE process, DWORD desired_access);
// Asks for TOKEN_QUERY; when the thread has no token (ERROR_NO_TOKEN), opens the process token.
HANDLE OpenThreadToken(bool open_as_self);
// DisableAllPrivileges is FALSE; fails unless the call succeeds and leaves the last error 0, so that
// ERROR_NOT_ALL_ASSIGNED is a failure.
void AdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES* new_state, DWORD buffer_length,
                           TOKEN_PRIVILEGES* previous_state, DWORD* return_length);
// On the local system.
LUID LookupPrivilegeValueW(const std::string& name);
void CloseHandle(HANDLE object);

// The sub-authorities past `count` are 0.
PSID AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY& authority, BYTE count, DWORD sub0 = 0, DWORD sub1 = 0,
                              DWORD sub2 = 0, DWORD sub3 = 0, DWORD sub4 = 0, DWORD sub5 = 0, DWORD sub6 = 0,
                              DWORD sub7 = 0);
bool IsValidSid(PSID sid);
// Both test the SIDs with IsValidSid first: a null or invalid SID throws E_INVALIDARG.
DWORD GetLengthSid(PSID sid);
bool EqualSid(PSID sid1, PSID sid2);
// Does nothing when FreeSid cannot be bound; never throws.
void FreeSid(PSID sid) noexcept;

// With ACL_REVISION.
void InitializeAcl(ACL* acl, DWORD length);
void GetAclInformation(ACL* acl, void* information, DWORD length, ACL_INFORMATION_CLASS information_class);
void* GetAce(ACL* acl, DWORD index);
void AddAce(ACL* acl, DWORD start_index, void* ace_list, DWORD ace_list_length);
void AddAccessAllowedAce(ACL* acl, DWORD mask, PSID sid);
// Falls back to AddAccessAllowedAce, dropping the flags, when they are 0 or the function cannot be
// bound (E_NOTIMPL); any other binding error is thrown.
void AddAccessAllowedAceEx(ACL* acl, DWORD flags, DWORD mask, PSID sid);

void InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor);
bool IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor);
struct DaclInfo {
    bool present = false;
    ACL* dacl = nullptr;
    bool defaulted = false;
};
DaclInfo GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor);
void SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, bool present, ACL* dacl, bool defaulted);
void SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR descriptor, PSID group, bool defaulted);
void SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID owner, bool defaulted);
SECURITY_DESCRIPTOR_CONTROL GetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor);
void SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor, SECURITY_DESCRIPTOR_CONTROL bits_of_interest,
                                  SECURITY_DESCRIPTOR_CONTROL bits_to_set);

// Always asks for DACL_SECURITY_INFORMATION and returns the size needed. With a null buffer it is the
// size query, and ERROR_INSUFFICIENT_BUFFER is its expected answer.
DWORD GetFileSecurityW(const boost::filesystem::path& file, PSECURITY_DESCRIPTOR descriptor, DWORD length);
void SetFileSecurityW(const boost::filesystem::path& file, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor);

// Always asks for desired access 1; returns the access status.
bool AccessCheck(PSECURITY_DESCRIPTOR descriptor, HANDLE token, GENERIC_MAPPING& mapping, PRIVILEGE_SET* privilege_set,
                 DWORD* privilege_set_length, DWORD* granted_access);
// At SecurityImpersonation.
void ImpersonateSelf();
// When it cannot be bound: sets the last error to ERROR_CALL_NOT_IMPLEMENTED and returns false.
// Never throws.
bool RevertToSelf() noexcept;
// Whether the token (null: the caller's effective token) is a member of the SID's group.
bool CheckTokenMembership(HANDLE token, PSID sid);

}  // namespace security::api
