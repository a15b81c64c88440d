#include "startup/named_object_security.hpp"

#include "platform/advapi/advapi_abi.hpp"
#include "security/access_control.hpp"
#include "security/advapi_calls.hpp"
#include "security/well_known_sid.hpp"

#include <cstddef>

namespace advapi = platform::advapi;

platform::sync::object_security MakeEveryoneObjectSecurity(std::uint32_t accessMask) {
    const security::EveryoneSecurity descriptor = security::MakeEveryoneSecurity(accessMask);
    const security::WellKnownSid everyone(security::SidEveryone);
    // The descriptor is the source of truth: whatever its DACL allows Everyone is what the object allows.
    std::uint32_t granted = 0;
    advapi::ACL* dacl = descriptor.dacl();
    for (advapi::DWORD index = 0; dacl && index < dacl->AceCount; ++index) {
        void* entry = security::api::GetAce(dacl, index);
        const auto* ace = static_cast<const advapi::ACCESS_ALLOWED_ACE*>(entry);
        if (ace->Header.AceType != advapi::ACCESS_ALLOWED_ACE_TYPE) {
            continue;
        }
        void* sid = static_cast<std::byte*>(entry) + offsetof(advapi::ACCESS_ALLOWED_ACE, SidStart);
        if (security::api::EqualSid(sid, everyone.get())) {
            granted |= ace->Mask;
        }
    }
    return platform::sync::object_security::everyone(granted);
}
