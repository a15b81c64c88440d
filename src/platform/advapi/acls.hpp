// Access control lists in their binary layout: an 8-byte header followed by the entries, each with a
// 4-byte header; access-allowed and access-denied entries carry a mask and a SID.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

#include <cstddef>
#include <vector>

namespace platform::advapi {

struct ace_entry {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;    // access-allowed and access-denied entries only
    const BYTE* sid;     // likewise; null for other entry types
    const BYTE* header;  // the whole entry, AceSize bytes
};

// The header and every entry lie within AclSize, with sizes that are multiples of 4.
bool acl_valid(const ACL* acl);
// The same, for stored data: the list must also lie within the given bytes.
bool acl_fits(const BYTE* bytes, std::size_t available);

void acl_initialize(ACL* acl, DWORD length, DWORD revision);
DWORD acl_bytes_in_use(const ACL* acl);
std::vector<ace_entry> acl_entries(const ACL* acl);
// The entry at the index; ERROR_INVALID_PARAMETER past the last one.
void* acl_ace(ACL* acl, DWORD index);
// Inserts a list of whole entries before the entry at the index (at the end when past the last).
void acl_insert(ACL* acl, DWORD revision, DWORD start_index, const void* list, DWORD list_length);
void acl_append_allowed(ACL* acl, DWORD revision, DWORD flags, ACCESS_MASK mask, const void* sid);

}  // namespace platform::advapi
