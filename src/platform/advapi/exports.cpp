// The library's exported functions: each checks its arguments, calls the part of the library that does
// the work, and turns a failure into its last error and a FALSE result.
//
// Two variants for tests are built from this file without one export each:
// ADVAPI_WITHOUT_CHECK_TOKEN_MEMBERSHIP and ADVAPI_WITHOUT_ADD_ACCESS_ALLOWED_ACE_EX, as on systems
// that predate those functions.
#include "platform/advapi/access_check.hpp"
#include "platform/advapi/acls.hpp"
#include "platform/advapi/advapi_abi.hpp"
#include "platform/advapi/descriptors.hpp"
#include "platform/advapi/errors.hpp"
#include "platform/advapi/file_security.hpp"
#include "platform/advapi/pointer_handles.hpp"
#include "platform/advapi/sids.hpp"
#include "platform/advapi/tokens.hpp"
#include "platform/advapi/wide_text.hpp"

#include <cstdlib>
#include <cstring>
#include <new>

#define ADVAPI_EXPORT extern "C" __attribute__((visibility("default")))

namespace platform::advapi {
namespace {

template <class Body>
BOOL guarded(Body&& body) {
    try {
        body();
        return 1;
    } catch (const failure& f) {
        set_last_error(f.code);
    } catch (const std::bad_alloc&) {
        set_last_error(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        set_last_error(ERROR_GEN_FAILURE);
    }
    return 0;
}

template <class T>
T& required(T* pointer) {
    if (!pointer) {
        fail(ERROR_INVALID_PARAMETER);
    }
    return *pointer;
}

}  // namespace

ADVAPI_EXPORT DWORD GetLastError() {
    return last_error();
}

ADVAPI_EXPORT void SetLastError(DWORD code) {
    set_last_error(code);
}

ADVAPI_EXPORT HANDLE GetCurrentProcess() {
    return current_process_handle();
}

ADVAPI_EXPORT HANDLE GetCurrentThread() {
    return current_thread_handle();
}

ADVAPI_EXPORT BOOL CloseHandle(HANDLE object) {
    return guarded([&] {
        if (object != current_process_handle() && object != current_thread_handle()) {
            close_token_handle(object);
        }
    });
}

ADVAPI_EXPORT BOOL OpenProcessToken(HANDLE process, DWORD desired_access, HANDLE* token) {
    return guarded([&] { required(token) = open_process_token(process, desired_access); });
}

ADVAPI_EXPORT BOOL OpenThreadToken(HANDLE thread, DWORD desired_access, BOOL /*open_as_self*/, HANDLE* token) {
    return guarded([&] {
        required(token) = nullptr;
        *token = open_thread_token(thread, desired_access);
    });
}

ADVAPI_EXPORT BOOL AdjustTokenPrivileges(HANDLE token, BOOL disable_all, TOKEN_PRIVILEGES* new_state,
                                         DWORD buffer_length, TOKEN_PRIVILEGES* previous_state, DWORD* return_length) {
    bool all_assigned = false;
    const BOOL ok = guarded([&] {
        all_assigned =
            adjust_privileges(token, disable_all != 0, new_state, buffer_length, previous_state, return_length);
    });
    if (ok) {
        set_last_error(all_assigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
    }
    return ok;
}

ADVAPI_EXPORT BOOL LookupPrivilegeValueW(const WCHAR* system_name, const WCHAR* name, LUID* luid) {
    return guarded([&] { required(luid) = lookup_privilege(system_name, name); });
}

ADVAPI_EXPORT BOOL PrivilegeCheck(HANDLE token, PRIVILEGE_SET* required_privileges, BOOL* result) {
    return guarded([&] { required(result) = privilege_check(token, required_privileges) ? 1 : 0; });
}

ADVAPI_EXPORT BOOL ImpersonateSelf(SECURITY_IMPERSONATION_LEVEL level) {
    return guarded([&] { impersonate_self(level); });
}

ADVAPI_EXPORT BOOL RevertToSelf() {
    return guarded([] { revert_to_self(); });
}

#ifndef ADVAPI_WITHOUT_CHECK_TOKEN_MEMBERSHIP
ADVAPI_EXPORT BOOL CheckTokenMembership(HANDLE token, PSID sid, BOOL* is_member) {
    return guarded([&] {
        required(is_member) = 0;
        *is_member = check_membership(token, sid) ? 1 : 0;
    });
}
#endif

ADVAPI_EXPORT BOOL AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count, DWORD sub0,
                                            DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5, DWORD sub6,
                                            DWORD sub7, PSID* sid) {
    return guarded([&] {
        required(sid) = nullptr;
        if (!authority || count > 8) {
            fail(ERROR_INVALID_PARAMETER);
        }
        const DWORD subs[8] = {sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7};
        const sid_bytes made = make_sid(*authority, {});
        const std::size_t length = made.size() + 4u * count;
        auto* bytes = static_cast<BYTE*>(std::malloc(length));
        if (!bytes) {
            fail(ERROR_NOT_ENOUGH_MEMORY);
        }
        std::memcpy(bytes, made.data(), made.size());
        bytes[1] = count;
        std::memcpy(bytes + made.size(), subs, 4u * count);
        *sid = bytes;
    });
}

// Null when freed, as the original returns.
ADVAPI_EXPORT void* FreeSid(PSID sid) {
    std::free(sid);
    return nullptr;
}

ADVAPI_EXPORT DWORD GetLengthSid(PSID sid) {
    if (!sid_valid(sid)) {
        set_last_error(ERROR_INVALID_SID);
        return 0;
    }
    return static_cast<DWORD>(sid_length(sid));
}

ADVAPI_EXPORT BOOL IsValidSid(PSID sid) {
    if (!sid_valid(sid)) {
        set_last_error(ERROR_INVALID_SID);
        return 0;
    }
    return 1;
}

// Sets the last error to ERROR_SUCCESS when the SIDs differ, so that a caller can tell a difference
// from an invalid SID.
ADVAPI_EXPORT BOOL EqualSid(PSID sid1, PSID sid2) {
    if (!sid_valid(sid1) || !sid_valid(sid2)) {
        set_last_error(ERROR_INVALID_SID);
        return 0;
    }
    set_last_error(ERROR_SUCCESS);
    return sid_equal(sid1, sid2) ? 1 : 0;
}

ADVAPI_EXPORT BOOL InitializeAcl(ACL* acl, DWORD length, DWORD revision) {
    return guarded([&] { acl_initialize(acl, length, revision); });
}

ADVAPI_EXPORT BOOL GetAclInformation(ACL* acl, void* information, DWORD length, ACL_INFORMATION_CLASS kind) {
    return guarded([&] {
        if (!acl || !acl_valid(acl)) {
            fail(ERROR_INVALID_ACL);
        }
        if (kind == AclRevisionInformation) {
            if (!information || length < sizeof(ACL_REVISION_INFORMATION)) {
                fail(ERROR_INSUFFICIENT_BUFFER);
            }
            const ACL_REVISION_INFORMATION info{acl->AclRevision};
            std::memcpy(information, &info, sizeof info);
        } else if (kind == AclSizeInformation) {
            if (!information || length < sizeof(ACL_SIZE_INFORMATION)) {
                fail(ERROR_INSUFFICIENT_BUFFER);
            }
            const DWORD used = acl_bytes_in_use(acl);
            const ACL_SIZE_INFORMATION info{acl->AceCount, used, acl->AclSize - used};
            std::memcpy(information, &info, sizeof info);
        } else {
            fail(ERROR_INVALID_PARAMETER);
        }
    });
}

ADVAPI_EXPORT BOOL GetAce(ACL* acl, DWORD index, void** ace) {
    return guarded([&] { required(ace) = acl_ace(acl, index); });
}

ADVAPI_EXPORT BOOL AddAce(ACL* acl, DWORD revision, DWORD start_index, void* ace_list, DWORD ace_list_length) {
    return guarded([&] { acl_insert(acl, revision, start_index, ace_list, ace_list_length); });
}

ADVAPI_EXPORT BOOL AddAccessAllowedAce(ACL* acl, DWORD revision, DWORD mask, PSID sid) {
    return guarded([&] { acl_append_allowed(acl, revision, 0, mask, sid); });
}

#ifndef ADVAPI_WITHOUT_ADD_ACCESS_ALLOWED_ACE_EX
ADVAPI_EXPORT BOOL AddAccessAllowedAceEx(ACL* acl, DWORD revision, DWORD flags, DWORD mask, PSID sid) {
    return guarded([&] { acl_append_allowed(acl, revision, flags, mask, sid); });
}
#endif

ADVAPI_EXPORT BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
    return guarded([&] { descriptor_initialize(descriptor, revision); });
}

ADVAPI_EXPORT BOOL IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) {
    if (!descriptor_valid(descriptor)) {
        set_last_error(ERROR_INVALID_SECURITY_DESCR);
        return 0;
    }
    return 1;
}

ADVAPI_EXPORT BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL* present, ACL** dacl,
                                             BOOL* defaulted) {
    return guarded([&] {
        const descriptor_view view = read_descriptor(descriptor);
        required(present) = view.dacl_present ? 1 : 0;
        if (view.dacl_present) {
            required(dacl) = const_cast<ACL*>(view.dacl);
            required(defaulted) = (view.control & SE_DACL_DEFAULTED) ? 1 : 0;
        }
    });
}

ADVAPI_EXPORT BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, ACL* dacl, BOOL defaulted) {
    return guarded([&] {
        SECURITY_DESCRIPTOR& sd = absolute_descriptor(descriptor);
        const WORD flags = present ? static_cast<WORD>(SE_DACL_PRESENT | (defaulted ? SE_DACL_DEFAULTED : 0)) : 0;
        sd.Dacl = present ? handle_for_pointer(dacl) : 0;
        sd.Control = static_cast<WORD>((sd.Control & ~(SE_DACL_PRESENT | SE_DACL_DEFAULTED)) | flags);
    });
}

ADVAPI_EXPORT BOOL SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR descriptor, PSID group, BOOL defaulted) {
    return guarded([&] {
        SECURITY_DESCRIPTOR& sd = absolute_descriptor(descriptor);
        sd.Group = handle_for_pointer(group);
        sd.Control = static_cast<WORD>((sd.Control & ~SE_GROUP_DEFAULTED) | (defaulted ? SE_GROUP_DEFAULTED : 0));
    });
}

ADVAPI_EXPORT BOOL SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID owner, BOOL defaulted) {
    return guarded([&] {
        SECURITY_DESCRIPTOR& sd = absolute_descriptor(descriptor);
        sd.Owner = handle_for_pointer(owner);
        sd.Control = static_cast<WORD>((sd.Control & ~SE_OWNER_DEFAULTED) | (defaulted ? SE_OWNER_DEFAULTED : 0));
    });
}

ADVAPI_EXPORT BOOL GetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor, SECURITY_DESCRIPTOR_CONTROL* control,
                                                DWORD* revision) {
    return guarded([&] {
        const descriptor_view view = read_descriptor(descriptor);
        required(control) = view.control;
        required(revision) = SECURITY_DESCRIPTOR_REVISION;
    });
}

ADVAPI_EXPORT BOOL SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor,
                                                SECURITY_DESCRIPTOR_CONTROL bits_of_interest,
                                                SECURITY_DESCRIPTOR_CONTROL bits_to_set) {
    constexpr WORD settable = SE_DACL_AUTO_INHERIT_REQ | SE_SACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED |
                              SE_SACL_AUTO_INHERITED | SE_DACL_PROTECTED | SE_SACL_PROTECTED;
    return guarded([&] {
        if ((bits_of_interest | bits_to_set) & ~settable) {
            fail(ERROR_INVALID_PARAMETER);
        }
        auto& sd = *static_cast<SECURITY_DESCRIPTOR*>(descriptor);
        read_descriptor(descriptor);  // checks the revision
        sd.Control = static_cast<WORD>((sd.Control & ~bits_of_interest) | (bits_to_set & bits_of_interest));
    });
}

ADVAPI_EXPORT BOOL GetFileSecurityW(const WCHAR* file, SECURITY_INFORMATION requested, PSECURITY_DESCRIPTOR descriptor,
                                    DWORD length, DWORD* length_needed) {
    return guarded([&] {
        if (!file) {
            fail(ERROR_INVALID_PARAMETER);
        }
        const std::vector<BYTE> bytes = read_file_security(to_utf8(file), requested);
        required(length_needed) = static_cast<DWORD>(bytes.size());
        if (!descriptor || length < bytes.size()) {
            fail(ERROR_INSUFFICIENT_BUFFER);
        }
        std::memcpy(descriptor, bytes.data(), bytes.size());
    });
}

ADVAPI_EXPORT BOOL SetFileSecurityW(const WCHAR* file, SECURITY_INFORMATION information,
                                    PSECURITY_DESCRIPTOR descriptor) {
    return guarded([&] {
        if (!file) {
            fail(ERROR_INVALID_PARAMETER);
        }
        write_file_security(to_utf8(file), information, descriptor);
    });
}

ADVAPI_EXPORT BOOL AccessCheck(PSECURITY_DESCRIPTOR descriptor, HANDLE token, DWORD desired_access,
                               GENERIC_MAPPING* mapping, PRIVILEGE_SET* privilege_set, DWORD* privilege_set_length,
                               DWORD* granted_access, BOOL* access_status) {
    return guarded([&] {
        const bool granted = access_check(descriptor, token, desired_access, required(mapping), privilege_set,
                                          privilege_set_length, granted_access);
        required(access_status) = granted ? 1 : 0;
        if (!granted) {
            set_last_error(ERROR_ACCESS_DENIED);
        }
    });
}

}  // namespace platform::advapi
