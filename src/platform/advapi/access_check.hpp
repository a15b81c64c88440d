// Evaluating a DACL: what its entries grant to a set of SIDs, each right decided by the first entry
// that names it (allowed or denied), and AccessCheck against a token.
#pragma once

#include "platform/advapi/acls.hpp"

#include <functional>
#include <vector>

namespace platform::advapi {

inline constexpr GENERIC_MAPPING file_generic_mapping = {0x00120089, 0x00120116, 0x001200A0, FILE_ALL_ACCESS};

ACCESS_MASK map_generic(ACCESS_MASK mask, const GENERIC_MAPPING& mapping);

// The rights the entries grant to the SIDs `matches` accepts, among the entries `applies` accepts
// (by their flags).
ACCESS_MASK granted_rights(const std::vector<ace_entry>& entries, const std::function<bool(const BYTE*)>& matches,
                           const std::function<bool(BYTE)>& applies, const GENERIC_MAPPING& mapping);

// AccessCheck: true when every right desired is granted (or, for MAXIMUM_ALLOWED, any).
bool access_check(const void* descriptor, HANDLE token_handle, ACCESS_MASK desired, const GENERIC_MAPPING& mapping,
                  PRIVILEGE_SET* privilege_set, DWORD* privilege_set_length, ACCESS_MASK* granted);

}  // namespace platform::advapi
