// The privileges a token can hold, by name and LUID, and who holds them: an administrator (effective
// uid 0) holds what a member of Administrators holds, every account holds what a standard user holds.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

#include <span>
#include <string_view>

namespace platform::advapi {

struct privilege_info {
    const char* name;
    DWORD luid;  // LowPart; HighPart is 0
    bool held_by_administrators;
    bool held_by_everyone;
    bool enabled_by_default;
};

std::span<const privilege_info> all_privileges();
// By name, not case-sensitive; null when unknown.
const privilege_info* find_privilege(std::string_view name);
const privilege_info* find_privilege(const LUID& luid);

}  // namespace platform::advapi
