// The access-control operations the installer uses: the administrator test, switching a token
// privilege, granting the local Users group access to a file or folder, and the security descriptor
// that opens the installer's named objects to every account.
//
// The first three never throw: false is their failure. MakeEveryoneSecurity throws the HRESULT of
// the step that failed.
#pragma once

#include "platform/advapi/advapi_abi.hpp"
#include "security/security_holders.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <string>

namespace security {

// Whether the process runs with membership of BUILTIN\Administrators. Asks CheckTokenMembership, and
// where that cannot answer, makes an access check against a descriptor only Administrators may use.
bool IsUserAdmin() noexcept;

// Enables or disables a privilege of the process token, by name ("SeBackupPrivilege"). False when
// the token does not hold it or any step fails.
bool EnablePrivilege(const std::string& privilege_name, bool enable) noexcept;

// Adds an explicit access-allowed entry for the local Users group to the DACL of an existing file or
// folder, replacing the group's other entries: it goes after the explicit entries and before the
// inherited ones, and the DACL's protection or automatic inheritance is kept. The DACL is unchanged
// when it returns false; the failure is noted in the diagnostic log.
bool GrantUsersAccess(const boost::filesystem::path& path, std::uint32_t access_mask, std::uint8_t ace_flags) noexcept;

// A descriptor whose DACL grants Everyone a mask; owns the DACL and the descriptor. The owner and
// group are unset.
class EveryoneSecurity {
public:
    EveryoneSecurity(AclHolder dacl, SecurityDescriptorHolder descriptor)
        : m_dacl(std::move(dacl)), m_descriptor(std::move(descriptor)) {}

    platform::advapi::PSECURITY_DESCRIPTOR descriptor() const { return m_descriptor.get(); }
    platform::advapi::ACL* dacl() const { return m_dacl.get(); }

private:
    AclHolder m_dacl;  // declared first: the descriptor points at it
    SecurityDescriptorHolder m_descriptor;
};

EveryoneSecurity MakeEveryoneSecurity(std::uint32_t access_mask);

}  // namespace security
