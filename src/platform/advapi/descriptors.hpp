// Security descriptors in both forms: absolute (fields are pointer handles, see pointer_handles.hpp)
// and self-relative (fields are offsets). The SACL is never carried: no caller needs it.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

#include <cstddef>
#include <optional>
#include <vector>

namespace platform::advapi {

struct descriptor_view {
    WORD control = 0;
    const BYTE* owner = nullptr;  // null when not set
    const BYTE* group = nullptr;
    bool dacl_present = false;
    const ACL* dacl = nullptr;  // null when not present or a null DACL
};

// The parts of a descriptor of either form; ERROR_UNKNOWN_REVISION or ERROR_INVALID_SECURITY_DESCR
// when it is not one.
descriptor_view read_descriptor(const void* descriptor);
// Revision 1, and the SIDs and DACL it holds are valid.
bool descriptor_valid(const void* descriptor);
// A self-relative descriptor read from storage, every offset checked against its size; empty when
// the bytes are not one.
std::optional<descriptor_view> parse_self_relative(const BYTE* bytes, std::size_t size);
// A self-relative descriptor of the given parts; control gets SE_SELF_RELATIVE and SE_DACL_PRESENT
// as the parts say.
std::vector<BYTE> make_self_relative(WORD control, const BYTE* owner, const BYTE* group, bool dacl_present,
                                     const ACL* dacl);

void descriptor_initialize(void* descriptor, DWORD revision);
// An absolute descriptor to change; ERROR_INVALID_SECURITY_DESCR for a self-relative one.
SECURITY_DESCRIPTOR& absolute_descriptor(void* descriptor);

}  // namespace platform::advapi
