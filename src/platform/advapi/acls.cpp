#include "platform/advapi/acls.hpp"

#include "platform/advapi/errors.hpp"
#include "platform/advapi/sids.hpp"

#include <algorithm>
#include <cstring>

namespace platform::advapi {
namespace {

constexpr DWORD min_revision = ACL_REVISION;
constexpr DWORD max_revision = ACL_REVISION_DS;
constexpr std::size_t known_ace_header = 8;  // ACE_HEADER and mask; the SID follows

WORD read_word(const BYTE* p) {
    WORD value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

DWORD read_dword(const BYTE* p) {
    DWORD value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

bool has_sid(BYTE type) {
    return type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_DENIED_ACE_TYPE;
}

// Walks the entries of a list of `size` bytes; false when one does not fit.
bool walk(const BYTE* first, std::size_t size, DWORD count, std::vector<ace_entry>* out) {
    std::size_t offset = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (size - offset < sizeof(ACE_HEADER)) {
            return false;
        }
        const BYTE* ace = first + offset;
        const WORD ace_size = read_word(ace + 2);
        if (ace_size < sizeof(ACE_HEADER) || ace_size % 4 != 0 || ace_size > size - offset) {
            return false;
        }
        ace_entry entry{ace[0], ace[1], 0, nullptr, ace};
        if (has_sid(entry.type)) {
            if (ace_size < known_ace_header || !sid_fits(ace + known_ace_header, ace_size - known_ace_header)) {
                return false;
            }
            entry.mask = read_dword(ace + 4);
            entry.sid = ace + known_ace_header;
        }
        if (out) {
            out->push_back(entry);
        }
        offset += ace_size;
    }
    return true;
}

bool header_valid(const ACL* acl) {
    return acl->AclRevision >= min_revision && acl->AclRevision <= max_revision && acl->AclSize >= sizeof(ACL) &&
           acl->AclSize % 4 == 0;
}

const BYTE* first_ace(const ACL* acl) {
    return reinterpret_cast<const BYTE*>(acl) + sizeof(ACL);
}

void require_valid(const ACL* acl) {
    if (!acl || !acl_valid(acl)) {
        fail(ERROR_INVALID_ACL);
    }
}

void require_revision(DWORD revision) {
    if (revision < min_revision || revision > max_revision) {
        fail(ERROR_INVALID_PARAMETER);
    }
}

// Offset from the ACL's start of the entry at the index, or of the free space after the last one.
std::size_t offset_of(const ACL* acl, DWORD index) {
    std::size_t offset = sizeof(ACL);
    const auto* base = reinterpret_cast<const BYTE*>(acl);
    for (DWORD i = 0; i < index && i < acl->AceCount; ++i) {
        offset += read_word(base + offset + 2);
    }
    return offset;
}

}  // namespace

bool acl_valid(const ACL* acl) {
    return header_valid(acl) && walk(first_ace(acl), acl->AclSize - sizeof(ACL), acl->AceCount, nullptr);
}

bool acl_fits(const BYTE* bytes, std::size_t available) {
    if (available < sizeof(ACL)) {
        return false;
    }
    const auto* acl = reinterpret_cast<const ACL*>(bytes);
    return header_valid(acl) && acl->AclSize <= available && acl_valid(acl);
}

void acl_initialize(ACL* acl, DWORD length, DWORD revision) {
    if (!acl) {
        fail(ERROR_INVALID_PARAMETER);
    }
    if (length < sizeof(ACL)) {
        fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (length > 0xFFFF) {
        fail(ERROR_INVALID_PARAMETER);
    }
    require_revision(revision);
    acl->AclRevision = static_cast<BYTE>(revision);
    acl->Sbz1 = 0;
    acl->AclSize = static_cast<WORD>(length & ~3u);
    acl->AceCount = 0;
    acl->Sbz2 = 0;
}

DWORD acl_bytes_in_use(const ACL* acl) {
    require_valid(acl);
    return static_cast<DWORD>(offset_of(acl, acl->AceCount));
}

std::vector<ace_entry> acl_entries(const ACL* acl) {
    require_valid(acl);
    std::vector<ace_entry> entries;
    walk(first_ace(acl), acl->AclSize - sizeof(ACL), acl->AceCount, &entries);
    return entries;
}

void* acl_ace(ACL* acl, DWORD index) {
    require_valid(acl);
    if (index >= acl->AceCount) {
        fail(ERROR_INVALID_PARAMETER);
    }
    return reinterpret_cast<BYTE*>(acl) + offset_of(acl, index);
}

void acl_insert(ACL* acl, DWORD revision, DWORD start_index, const void* list, DWORD list_length) {
    require_valid(acl);
    require_revision(revision);
    if (!list) {
        fail(ERROR_INVALID_PARAMETER);
    }
    // Count the entries of the list; they must fill it exactly.
    const std::vector<BYTE> copy(static_cast<const BYTE*>(list), static_cast<const BYTE*>(list) + list_length);
    DWORD count = 0;
    for (std::size_t offset = 0; offset < copy.size(); ++count) {
        const std::size_t left = copy.size() - offset;
        const WORD size = left >= sizeof(ACE_HEADER) ? read_word(&copy[offset + 2]) : 0;
        if (size < sizeof(ACE_HEADER) || size % 4 != 0 || size > left) {
            fail(ERROR_INVALID_PARAMETER);
        }
        offset += size;
    }
    const std::size_t used = offset_of(acl, acl->AceCount);
    if (copy.size() > acl->AclSize - used) {
        fail(ERROR_ALLOTTED_SPACE_EXCEEDED);
    }
    if (acl->AceCount + count > 0xFFFF) {
        fail(ERROR_INVALID_PARAMETER);
    }
    auto* base = reinterpret_cast<BYTE*>(acl);
    const std::size_t at = offset_of(acl, std::min<DWORD>(start_index, acl->AceCount));
    std::memmove(base + at + copy.size(), base + at, used - at);
    if (!copy.empty()) {
        std::memcpy(base + at, copy.data(), copy.size());
    }
    acl->AceCount = static_cast<WORD>(acl->AceCount + count);
    acl->AclRevision = static_cast<BYTE>(std::max<DWORD>(acl->AclRevision, revision));
}

void acl_append_allowed(ACL* acl, DWORD revision, DWORD flags, ACCESS_MASK mask, const void* sid) {
    require_valid(acl);
    if (revision > max_revision || acl->AclRevision > max_revision) {
        fail(ERROR_REVISION_MISMATCH);
    }
    if (!sid_valid(sid)) {
        fail(ERROR_INVALID_SID);
    }
    if ((flags & ~static_cast<DWORD>(VALID_INHERIT_FLAGS)) != 0) {
        fail(ERROR_INVALID_FLAGS);
    }
    const std::size_t size = known_ace_header + sid_length(sid);
    std::vector<BYTE> ace(size);
    ace[0] = ACCESS_ALLOWED_ACE_TYPE;
    ace[1] = static_cast<BYTE>(flags);
    const WORD ace_size = static_cast<WORD>(size);
    std::memcpy(&ace[2], &ace_size, sizeof ace_size);
    std::memcpy(&ace[4], &mask, sizeof mask);
    std::memcpy(&ace[known_ace_header], sid, sid_length(sid));
    acl_insert(acl, std::max<DWORD>(revision, min_revision), MAXDWORD, ace.data(), static_cast<DWORD>(size));
}

}  // namespace platform::advapi
