// Security identifiers: validation, comparison, and the SIDs of this system's accounts and of the
// well-known groups.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

#include <sys/types.h>

#include <cstddef>
#include <initializer_list>
#include <vector>

namespace platform::advapi {

// A SID held by value.
using sid_bytes = std::vector<BYTE>;

// Revision 1 and at most 15 sub-authorities; false for null.
bool sid_valid(const void* sid);
// Whether a valid SID lies whole within the given bytes (for stored, untrusted data).
bool sid_fits(const BYTE* bytes, std::size_t available);
std::size_t sid_length(const void* sid);
bool sid_equal(const void* a, const void* b);

sid_bytes make_sid(const SID_IDENTIFIER_AUTHORITY& authority, std::initializer_list<DWORD> sub_authorities);
sid_bytes everyone_sid();
sid_bytes authenticated_users_sid();
sid_bytes administrators_sid();
sid_bytes users_sid();
sid_bytes unix_user_sid(uid_t uid);
sid_bytes unix_group_sid(gid_t gid);

}  // namespace platform::advapi
