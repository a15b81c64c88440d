#include "security/well_known_sid.hpp"

#include "security/advapi_calls.hpp"

namespace security {

namespace advapi = platform::advapi;

WellKnownSid::WellKnownSid(SidKind kind) {
    switch (kind) {
        case SidEveryone:
            m_sid = api::AllocateAndInitializeSid(advapi::SECURITY_WORLD_SID_AUTHORITY, 1, advapi::SECURITY_WORLD_RID);
            break;
        case SidAdministrators:
            m_sid = api::AllocateAndInitializeSid(advapi::SECURITY_NT_AUTHORITY, 2, advapi::SECURITY_BUILTIN_DOMAIN_RID,
                                                  advapi::DOMAIN_ALIAS_RID_ADMINS);
            break;
        case SidUsers:
            m_sid = api::AllocateAndInitializeSid(advapi::SECURITY_NT_AUTHORITY, 2, advapi::SECURITY_BUILTIN_DOMAIN_RID,
                                                  advapi::DOMAIN_ALIAS_RID_USERS);
            break;
        default:
            throw_hresult(E_INVALIDARG);
    }
}

WellKnownSid::~WellKnownSid() {
    reset();
}

void WellKnownSid::reset() noexcept {
    if (m_sid) {
        api::FreeSid(m_sid);
        m_sid = nullptr;
    }
}

}  // namespace security
