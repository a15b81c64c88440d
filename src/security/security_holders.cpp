#include "security/security_holders.hpp"

#include "security/advapi_calls.hpp"

namespace security {

namespace advapi = platform::advapi;

namespace {

constexpr std::size_t acl_header_size = sizeof(advapi::ACL);
constexpr std::size_t ace_header_and_mask_size = sizeof(advapi::ACE_HEADER) + sizeof(advapi::DWORD);

}  // namespace

ZeroedBlock::ZeroedBlock(std::size_t size) : m_block(std::calloc(1, size)), m_size(size) {
    if (!m_block) {
        throw_hresult(E_OUTOFMEMORY);
    }
}

AclHolder::AclHolder(std::size_t size) : m_block(size) {
    api::InitializeAcl(get(), static_cast<advapi::DWORD>(size));
}

AclHolder MakeSingleAceAcl(advapi::PSID sid, advapi::DWORD mask) {
    AclHolder acl(api::GetLengthSid(sid) + acl_header_size + ace_header_and_mask_size);
    api::AddAccessAllowedAce(acl.get(), mask, sid);
    return acl;
}

SecurityDescriptorHolder::SecurityDescriptorHolder() : m_block(sizeof(advapi::SECURITY_DESCRIPTOR)) {
    api::InitializeSecurityDescriptor(get());
}

}  // namespace security
