// An owning holder of one of the well-known group SIDs, allocated by the security library and freed
// with it when the holder goes.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

namespace security {

enum SidKind {
    SidEveryone = 0,        // S-1-1-0
    SidAdministrators = 1,  // S-1-5-32-544
    SidUsers = 2,           // S-1-5-32-545
};

class WellKnownSid {
public:
    // Throws the HRESULT of a failed allocation or binding.
    explicit WellKnownSid(SidKind kind);
    ~WellKnownSid();
    WellKnownSid(const WellKnownSid&) = delete;
    WellKnownSid& operator=(const WellKnownSid&) = delete;

    platform::advapi::PSID get() const { return m_sid; }
    // Frees the SID now; the holder is empty afterwards.
    void reset() noexcept;

private:
    platform::advapi::PSID m_sid = nullptr;
};

}  // namespace security
