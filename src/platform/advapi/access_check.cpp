#include "platform/advapi/access_check.hpp"

#include "platform/advapi/descriptors.hpp"
#include "platform/advapi/errors.hpp"
#include "platform/advapi/tokens.hpp"

namespace platform::advapi {
namespace {

constexpr ACCESS_MASK generic_bits = GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL;

}  // namespace

ACCESS_MASK map_generic(ACCESS_MASK mask, const GENERIC_MAPPING& mapping) {
    ACCESS_MASK mapped = mask & ~generic_bits;
    mapped |= (mask & GENERIC_READ) ? mapping.GenericRead : 0;
    mapped |= (mask & GENERIC_WRITE) ? mapping.GenericWrite : 0;
    mapped |= (mask & GENERIC_EXECUTE) ? mapping.GenericExecute : 0;
    mapped |= (mask & GENERIC_ALL) ? mapping.GenericAll : 0;
    return mapped;
}

ACCESS_MASK granted_rights(const std::vector<ace_entry>& entries, const std::function<bool(const BYTE*)>& matches,
                           const std::function<bool(BYTE)>& applies, const GENERIC_MAPPING& mapping) {
    ACCESS_MASK granted = 0;
    ACCESS_MASK denied = 0;
    for (const ace_entry& entry : entries) {
        if (!entry.sid || !applies(entry.flags) || !matches(entry.sid)) {
            continue;
        }
        const ACCESS_MASK mask = map_generic(entry.mask, mapping);
        if (entry.type == ACCESS_ALLOWED_ACE_TYPE) {
            granted |= mask & ~denied;
        } else {
            denied |= mask & ~granted;
        }
    }
    return granted;
}

bool access_check(const void* descriptor, HANDLE token_handle, ACCESS_MASK desired, const GENERIC_MAPPING& mapping,
                  PRIVILEGE_SET* privilege_set, DWORD* privilege_set_length, ACCESS_MASK* granted) {
    if (!privilege_set_length || !granted) {
        fail(ERROR_INVALID_PARAMETER);
    }
    const auto object = token_for_handle(token_handle, TOKEN_QUERY);
    if (!object->impersonation) {
        fail(ERROR_NO_IMPERSONATION_TOKEN);
    }
    if (object->level < SecurityIdentification) {
        fail(ERROR_BAD_IMPERSONATION_LEVEL);
    }
    if (desired & generic_bits) {
        fail(ERROR_GENERIC_NOT_MAPPED);
    }
    if (!privilege_set || *privilege_set_length < sizeof(PRIVILEGE_SET)) {
        *privilege_set_length = sizeof(PRIVILEGE_SET);
        fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (!descriptor_valid(descriptor)) {
        fail(ERROR_INVALID_SECURITY_DESCR);
    }
    const descriptor_view view = read_descriptor(descriptor);
    if (!view.owner || !view.group) {
        fail(ERROR_INVALID_SECURITY_DESCR);
    }
    privilege_set->PrivilegeCount = 0;
    privilege_set->Control = 0;

    const identity& who = object->who;
    ACCESS_MASK rights;
    if (!view.dacl) {
        rights = mapping.GenericAll | (desired & ~MAXIMUM_ALLOWED);  // no DACL: everything
    } else {
        rights = granted_rights(
            acl_entries(view.dacl), [&who](const BYTE* sid) { return who.has_sid(sid); },
            [](BYTE flags) { return (flags & INHERIT_ONLY_ACE) == 0; }, mapping);
        if (who.has_sid(view.owner)) {
            rights |= READ_CONTROL | WRITE_DAC;  // the owner can always read and change the DACL
        }
    }
    rights &= ~ACCESS_SYSTEM_SECURITY;
    if (desired & ACCESS_SYSTEM_SECURITY) {
        std::lock_guard lock(object->privileges->mutex);
        const privilege_info* security = find_privilege("SeSecurityPrivilege");
        if (security && object->enabled(*security)) {
            rights |= ACCESS_SYSTEM_SECURITY;
            privilege_set->PrivilegeCount = 1;
            privilege_set->Privilege[0] = {{security->luid, 0}, SE_PRIVILEGE_USED_FOR_ACCESS};
        }
    }

    if (desired & MAXIMUM_ALLOWED) {
        const ACCESS_MASK others = desired & ~MAXIMUM_ALLOWED;
        const bool ok = rights != 0 && (others & ~rights) == 0;
        *granted = ok ? rights : 0;
        return ok;
    }
    const bool ok = desired != 0 && (desired & ~rights) == 0;
    *granted = ok ? desired : 0;
    return ok;
}

}  // namespace platform::advapi
