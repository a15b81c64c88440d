// Owning holders of the ACLs and security descriptors the access-control operations build: zero-filled
// blocks freed when the holder goes. An absolute descriptor points at its ACL and SIDs without owning
// them, so its holder must not outlive theirs.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace security {

// A zero-filled, suitably aligned block of memory; E_OUTOFMEMORY when there is none.
class ZeroedBlock {
public:
    ZeroedBlock() = default;
    explicit ZeroedBlock(std::size_t size);

    void* get() const { return m_block.get(); }
    std::size_t size() const { return m_size; }

private:
    struct Free {
        void operator()(void* p) const noexcept { std::free(p); }
    };
    std::unique_ptr<void, Free> m_block;
    std::size_t m_size = 0;
};

class AclHolder {
public:
    AclHolder() = default;
    // A zero-filled ACL of the given size, initialised with ACL_REVISION.
    explicit AclHolder(std::size_t size);

    platform::advapi::ACL* get() const { return static_cast<platform::advapi::ACL*>(m_block.get()); }

private:
    ZeroedBlock m_block;
};

// An ACL with a single access-allowed entry granting the mask to the SID: GetLengthSid + 16 bytes.
AclHolder MakeSingleAceAcl(platform::advapi::PSID sid, platform::advapi::DWORD mask);

// A zero-filled 20-byte absolute descriptor initialised with revision 1.
class SecurityDescriptorHolder {
public:
    SecurityDescriptorHolder();

    platform::advapi::PSECURITY_DESCRIPTOR get() const { return m_block.get(); }

private:
    ZeroedBlock m_block;
};

}  // namespace security
