#include "platform/advapi/privileges.hpp"

#include <strings.h>

#include <array>
#include <string>

namespace platform::advapi {
namespace {

// LUIDs as the system assigns them; the held and enabled columns follow an elevated administrator's
// token and a standard user's token.
constexpr std::array<privilege_info, 35> privileges{{
    {"SeCreateTokenPrivilege", 2, false, false, false},
    {"SeAssignPrimaryTokenPrivilege", 3, false, false, false},
    {"SeLockMemoryPrivilege", 4, false, false, false},
    {"SeIncreaseQuotaPrivilege", 5, true, false, false},
    {"SeMachineAccountPrivilege", 6, false, false, false},
    {"SeTcbPrivilege", 7, false, false, false},
    {"SeSecurityPrivilege", 8, true, false, false},
    {"SeTakeOwnershipPrivilege", 9, true, false, false},
    {"SeLoadDriverPrivilege", 10, true, false, false},
    {"SeSystemProfilePrivilege", 11, true, false, false},
    {"SeSystemtimePrivilege", 12, true, false, false},
    {"SeProfileSingleProcessPrivilege", 13, true, false, false},
    {"SeIncreaseBasePriorityPrivilege", 14, true, false, false},
    {"SeCreatePagefilePrivilege", 15, true, false, false},
    {"SeCreatePermanentPrivilege", 16, false, false, false},
    {"SeBackupPrivilege", 17, true, false, false},
    {"SeRestorePrivilege", 18, true, false, false},
    {"SeShutdownPrivilege", 19, true, true, false},
    {"SeDebugPrivilege", 20, true, false, false},
    {"SeAuditPrivilege", 21, false, false, false},
    {"SeSystemEnvironmentPrivilege", 22, true, false, false},
    {"SeChangeNotifyPrivilege", 23, true, true, true},
    {"SeRemoteShutdownPrivilege", 24, true, false, false},
    {"SeUndockPrivilege", 25, true, true, false},
    {"SeSyncAgentPrivilege", 26, false, false, false},
    {"SeEnableDelegationPrivilege", 27, false, false, false},
    {"SeManageVolumePrivilege", 28, true, false, false},
    {"SeImpersonatePrivilege", 29, true, false, true},
    {"SeCreateGlobalPrivilege", 30, true, false, true},
    {"SeTrustedCredManAccessPrivilege", 31, false, false, false},
    {"SeRelabelPrivilege", 32, false, false, false},
    {"SeIncreaseWorkingSetPrivilege", 33, true, true, false},
    {"SeTimeZonePrivilege", 34, true, true, false},
    {"SeCreateSymbolicLinkPrivilege", 35, true, false, false},
    {"SeDelegateSessionUserImpersonatePrivilege", 36, true, false, false},
}};

}  // namespace

std::span<const privilege_info> all_privileges() {
    return privileges;
}

const privilege_info* find_privilege(std::string_view name) {
    const std::string text(name);
    for (const privilege_info& p : privileges) {
        if (strcasecmp(p.name, text.c_str()) == 0) {
            return &p;
        }
    }
    return nullptr;
}

const privilege_info* find_privilege(const LUID& luid) {
    if (luid.HighPart != 0) {
        return nullptr;
    }
    for (const privilege_info& p : privileges) {
        if (p.luid == luid.LowPart) {
            return &p;
        }
    }
    return nullptr;
}

}  // namespace platform::advapi
