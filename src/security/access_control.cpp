#include "security/access_control.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/system_messages.hpp"
#include "security/advapi_calls.hpp"
#include "security/hresult.hpp"
#include "security/well_known_sid.hpp"

#include <cstring>
#include <utility>

namespace security {

namespace advapi = platform::advapi;
namespace diagnostics = platform::diagnostics;

namespace {

// A grant that failed changes nothing and the installation goes on; only the log tells about it.
void NoteGrantFailure(const boost::filesystem::path& path, HRESULT result) noexcept {
    if (!diagnostics::log_open()) {
        return;
    }
    try {
        const auto code = static_cast<std::uint32_t>(result);
        diagnostics::note("FAILED granting the Users group access: ", path, ": ",
                          platform::kernel::system_message_text(code).value_or("unknown error"), " (HRESULT ",
                          diagnostics::hex32{code}, ")");
    } catch (...) {
        // No text for it: the grant's failure still reaches the caller.
    }
}

// A token handle closed when it goes.
class TokenHandle {
public:
    explicit TokenHandle(advapi::HANDLE handle = nullptr) : m_handle(handle) {}
    ~TokenHandle() {
        if (m_handle) {
            try {
                api::CloseHandle(m_handle);
            } catch (const hresult_error&) {
                // Closing is all that is left to do with it.
            }
        }
    }
    TokenHandle(const TokenHandle&) = delete;
    TokenHandle& operator=(const TokenHandle&) = delete;

    advapi::HANDLE get() const { return m_handle; }

private:
    advapi::HANDLE m_handle;
};

// Impersonates the process on this thread for as long as it lives.
class SelfImpersonation {
public:
    SelfImpersonation() { api::ImpersonateSelf(); }
    ~SelfImpersonation() { api::RevertToSelf(); }
    SelfImpersonation(const SelfImpersonation&) = delete;
    SelfImpersonation& operator=(const SelfImpersonation&) = delete;
};

bool MemberOfAdministratorsByMembership() {
    WellKnownSid administrators(SidAdministrators);
    return api::CheckTokenMembership(nullptr, administrators.get());
}

// Whether the thread's token may use a descriptor whose DACL admits Administrators alone.
bool MemberOfAdministratorsByAccessCheck() {
    bool result = false;
    try {
        SelfImpersonation impersonation;
        TokenHandle token(api::OpenThreadToken(false));
        WellKnownSid administrators(SidAdministrators);
        AclHolder acl = MakeSingleAceAcl(administrators.get(), 3);
        SecurityDescriptorHolder descriptor;
        api::SetSecurityDescriptorDacl(descriptor.get(), true, acl.get(), false);
        api::SetSecurityDescriptorGroup(descriptor.get(), administrators.get(), false);
        api::SetSecurityDescriptorOwner(descriptor.get(), administrators.get(), false);
        if (!api::IsValidSecurityDescriptor(descriptor.get())) {
            throw_hresult(E_UNEXPECTED);
        }
        advapi::GENERIC_MAPPING mapping{1, 2, 0, 3};
        advapi::PRIVILEGE_SET privileges{};
        advapi::DWORD privileges_length = sizeof privileges;
        advapi::DWORD granted = 0;
        result = api::AccessCheck(descriptor.get(), token.get(), mapping, &privileges, &privileges_length, &granted);
    } catch (const hresult_error&) {
        // The answer so far stands.
    }
    return result;
}

// Appends the entry to the ACL unless it is one for the given SID.
void CopyAceUnlessFor(advapi::ACL* acl, void* ace, advapi::PSID sid) {
    auto* bytes = static_cast<advapi::BYTE*>(ace);
    if (api::EqualSid(bytes + sizeof(advapi::ACCESS_ALLOWED_ACE) - sizeof(advapi::DWORD), sid)) {
        return;
    }
    advapi::WORD size;
    std::memcpy(&size, bytes + 2, sizeof size);
    api::AddAce(acl, advapi::MAXDWORD, ace, size);
}

}  // namespace

bool IsUserAdmin() noexcept {
    try {
        return MemberOfAdministratorsByMembership();
    } catch (const hresult_error&) {
        // CheckTokenMembership is missing or could not answer.
    } catch (...) {
        return false;
    }
    try {
        return MemberOfAdministratorsByAccessCheck();
    } catch (...) {
        return false;
    }
}

bool EnablePrivilege(const std::string& privilege_name, bool enable) noexcept {
    try {
        TokenHandle token(api::OpenProcessToken(advapi::current_process_handle(),
                                                advapi::TOKEN_ADJUST_PRIVILEGES | advapi::TOKEN_QUERY));
        const advapi::LUID luid = api::LookupPrivilegeValueW(privilege_name);

        // Reading the previous state means setting one: disable first, then set what is asked from it.
        advapi::TOKEN_PRIVILEGES request{1, {{luid, 0}}};
        advapi::TOKEN_PRIVILEGES previous{};
        advapi::DWORD previous_length = sizeof previous;
        api::AdjustTokenPrivileges(token.get(), &request, sizeof previous, &previous, &previous_length);

        previous.PrivilegeCount = 1;
        previous.Privileges[0].Luid = luid;
        if (enable) {
            previous.Privileges[0].Attributes |= advapi::SE_PRIVILEGE_ENABLED;
        } else {
            previous.Privileges[0].Attributes &= ~advapi::SE_PRIVILEGE_ENABLED;
        }
        api::AdjustTokenPrivileges(token.get(), &previous, sizeof previous, nullptr, nullptr);
        return true;
    } catch (...) {
        return false;
    }
}

bool GrantUsersAccess(const boost::filesystem::path& path, std::uint32_t access_mask, std::uint8_t ace_flags) noexcept {
    try {
        WellKnownSid users(SidUsers);

        const advapi::DWORD old_size = api::GetFileSecurityW(path, nullptr, 0);
        ZeroedBlock old_descriptor(old_size);
        api::GetFileSecurityW(path, old_descriptor.get(), old_size);

        const api::DaclInfo old_dacl = api::GetSecurityDescriptorDacl(old_descriptor.get());
        advapi::ACL* old_acl = old_dacl.present ? old_dacl.dacl : nullptr;
        advapi::ACL_SIZE_INFORMATION sizes{0, sizeof(advapi::ACL), 0};
        if (old_acl) {
            api::GetAclInformation(old_acl, &sizes, sizeof sizes, advapi::AclSizeInformation);
        }

        AclHolder acl(sizes.AclBytesInUse + api::GetLengthSid(users.get()) + 8);
        advapi::DWORD index = 0;
        for (; index < sizes.AceCount; ++index) {
            void* ace = api::GetAce(old_acl, index);
            if (static_cast<advapi::BYTE*>(ace)[1] & advapi::INHERITED_ACE) {
                break;
            }
            CopyAceUnlessFor(acl.get(), ace, users.get());
        }
        api::AddAccessAllowedAceEx(acl.get(), ace_flags, access_mask, users.get());
        for (; index < sizes.AceCount; ++index) {
            CopyAceUnlessFor(acl.get(), api::GetAce(old_acl, index), users.get());
        }

        SecurityDescriptorHolder descriptor;
        api::SetSecurityDescriptorDacl(descriptor.get(), true, acl.get(), false);
        const advapi::SECURITY_DESCRIPTOR_CONTROL old_control = api::GetSecurityDescriptorControl(old_descriptor.get());
        if (old_control & advapi::SE_DACL_AUTO_INHERITED) {
            constexpr auto bits = advapi::SE_DACL_AUTO_INHERITED | advapi::SE_DACL_AUTO_INHERIT_REQ;
            api::SetSecurityDescriptorControl(descriptor.get(), bits, bits);
        } else if (old_control & advapi::SE_DACL_PROTECTED) {
            api::SetSecurityDescriptorControl(descriptor.get(), advapi::SE_DACL_PROTECTED, advapi::SE_DACL_PROTECTED);
        }
        api::SetFileSecurityW(path, advapi::DACL_SECURITY_INFORMATION, descriptor.get());
        return true;
    } catch (const hresult_error& thrown) {
        const HRESULT result = thrown.hresult();
        NoteGrantFailure(path, result);
        return false;
    } catch (...) {
        NoteGrantFailure(path, E_FAIL);
        return false;
    }
}

EveryoneSecurity MakeEveryoneSecurity(std::uint32_t access_mask) {
    AclHolder dacl;
    {
        WellKnownSid everyone(SidEveryone);
        dacl = MakeSingleAceAcl(everyone.get(), access_mask);
    }  // the ACL holds its own copy of the SID
    SecurityDescriptorHolder descriptor;
    api::SetSecurityDescriptorDacl(descriptor.get(), true, dacl.get(), false);
    return EveryoneSecurity(std::move(dacl), std::move(descriptor));
}

}  // namespace security
