#include "platform/advapi/sids.hpp"

#include <cstring>

namespace platform::advapi {
namespace {

constexpr std::size_t sid_header = 8;

std::size_t length_for(BYTE count) {
    return sid_header + 4u * count;
}

}  // namespace

bool sid_valid(const void* sid) {
    if (!sid) {
        return false;
    }
    const auto* bytes = static_cast<const BYTE*>(sid);
    return bytes[0] == SID_REVISION && bytes[1] <= SID_MAX_SUB_AUTHORITIES;
}

bool sid_fits(const BYTE* bytes, std::size_t available) {
    return available >= sid_header && sid_valid(bytes) && length_for(bytes[1]) <= available;
}

std::size_t sid_length(const void* sid) {
    return length_for(static_cast<const BYTE*>(sid)[1]);
}

bool sid_equal(const void* a, const void* b) {
    const std::size_t length = sid_length(a);
    return length == sid_length(b) && std::memcmp(a, b, length) == 0;
}

sid_bytes make_sid(const SID_IDENTIFIER_AUTHORITY& authority, std::initializer_list<DWORD> sub_authorities) {
    sid_bytes sid(length_for(static_cast<BYTE>(sub_authorities.size())));
    sid[0] = SID_REVISION;
    sid[1] = static_cast<BYTE>(sub_authorities.size());
    std::memcpy(&sid[2], authority.Value, sizeof authority.Value);
    std::size_t offset = sid_header;
    for (DWORD sub : sub_authorities) {
        std::memcpy(&sid[offset], &sub, sizeof sub);
        offset += sizeof sub;
    }
    return sid;
}

sid_bytes everyone_sid() {
    return make_sid(SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID});
}

sid_bytes authenticated_users_sid() {
    return make_sid(SECURITY_NT_AUTHORITY, {SECURITY_AUTHENTICATED_USER_RID});
}

sid_bytes administrators_sid() {
    return make_sid(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS});
}

sid_bytes users_sid() {
    return make_sid(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS});
}

sid_bytes unix_user_sid(uid_t uid) {
    return make_sid(UNIX_SID_AUTHORITY, {UNIX_USER_RID, static_cast<DWORD>(uid)});
}

sid_bytes unix_group_sid(gid_t gid) {
    return make_sid(UNIX_SID_AUTHORITY, {UNIX_GROUP_RID, static_cast<DWORD>(gid)});
}

}  // namespace platform::advapi
