#include "platform/advapi/descriptors.hpp"

#include "platform/advapi/acls.hpp"
#include "platform/advapi/errors.hpp"
#include "platform/advapi/pointer_handles.hpp"
#include "platform/advapi/sids.hpp"

#include <cstring>

namespace platform::advapi {
namespace {

const SECURITY_DESCRIPTOR& header_of(const void* descriptor) {
    if (!descriptor) {
        fail(ERROR_INVALID_PARAMETER);
    }
    const auto& header = *static_cast<const SECURITY_DESCRIPTOR*>(descriptor);
    if (header.Revision != SECURITY_DESCRIPTOR_REVISION) {
        fail(ERROR_UNKNOWN_REVISION);
    }
    return header;
}

}  // namespace

descriptor_view read_descriptor(const void* descriptor) {
    const SECURITY_DESCRIPTOR& header = header_of(descriptor);
    descriptor_view view;
    view.control = header.Control;
    view.dacl_present = (header.Control & SE_DACL_PRESENT) != 0;
    if (header.Control & SE_SELF_RELATIVE) {
        const auto* base = static_cast<const BYTE*>(descriptor);
        view.owner = header.Owner ? base + header.Owner : nullptr;
        view.group = header.Group ? base + header.Group : nullptr;
        view.dacl = view.dacl_present && header.Dacl ? reinterpret_cast<const ACL*>(base + header.Dacl) : nullptr;
    } else {
        view.owner = static_cast<const BYTE*>(pointer_for_handle(header.Owner));
        view.group = static_cast<const BYTE*>(pointer_for_handle(header.Group));
        view.dacl = view.dacl_present ? static_cast<const ACL*>(pointer_for_handle(header.Dacl)) : nullptr;
    }
    return view;
}

bool descriptor_valid(const void* descriptor) {
    try {
        const descriptor_view view = read_descriptor(descriptor);
        return (!view.owner || sid_valid(view.owner)) && (!view.group || sid_valid(view.group)) &&
               (!view.dacl || acl_valid(view.dacl));
    } catch (const failure&) {
        return false;
    }
}

std::optional<descriptor_view> parse_self_relative(const BYTE* bytes, std::size_t size) {
    if (size < sizeof(SECURITY_DESCRIPTOR)) {
        return std::nullopt;
    }
    SECURITY_DESCRIPTOR header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.Revision != SECURITY_DESCRIPTOR_REVISION || !(header.Control & SE_SELF_RELATIVE)) {
        return std::nullopt;
    }
    // Each part starts on a 4-byte boundary within the bytes and lies whole within them.
    const auto in_range = [&](DWORD offset) { return offset >= sizeof header && offset < size && offset % 4 == 0; };
    descriptor_view view;
    view.control = header.Control;
    view.dacl_present = (header.Control & SE_DACL_PRESENT) != 0;
    if (header.Owner) {
        if (!in_range(header.Owner) || !sid_fits(bytes + header.Owner, size - header.Owner)) {
            return std::nullopt;
        }
        view.owner = bytes + header.Owner;
    }
    if (header.Group) {
        if (!in_range(header.Group) || !sid_fits(bytes + header.Group, size - header.Group)) {
            return std::nullopt;
        }
        view.group = bytes + header.Group;
    }
    if (view.dacl_present && header.Dacl) {
        if (!in_range(header.Dacl) || !acl_fits(bytes + header.Dacl, size - header.Dacl)) {
            return std::nullopt;
        }
        view.dacl = reinterpret_cast<const ACL*>(bytes + header.Dacl);
    }
    return view;
}

std::vector<BYTE> make_self_relative(WORD control, const BYTE* owner, const BYTE* group, bool dacl_present,
                                     const ACL* dacl) {
    SECURITY_DESCRIPTOR header{};
    header.Revision = SECURITY_DESCRIPTOR_REVISION;
    header.Control = static_cast<WORD>((control & ~(SE_DACL_PRESENT | SE_SACL_PRESENT | SE_SACL_DEFAULTED |
                                                    SE_SACL_AUTO_INHERITED | SE_SACL_PROTECTED)) |
                                       SE_SELF_RELATIVE | (dacl_present ? SE_DACL_PRESENT : 0));
    std::vector<BYTE> bytes(sizeof header);
    const auto append = [&bytes](const void* part, std::size_t length) {
        const auto offset = static_cast<DWORD>(bytes.size());
        bytes.insert(bytes.end(), static_cast<const BYTE*>(part), static_cast<const BYTE*>(part) + length);
        return offset;
    };
    if (dacl_present && dacl) {
        header.Dacl = append(dacl, dacl->AclSize);
    }
    if (owner) {
        header.Owner = append(owner, sid_length(owner));
    }
    if (group) {
        header.Group = append(group, sid_length(group));
    }
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

void descriptor_initialize(void* descriptor, DWORD revision) {
    if (!descriptor) {
        fail(ERROR_INVALID_PARAMETER);
    }
    if (revision != SECURITY_DESCRIPTOR_REVISION) {
        fail(ERROR_UNKNOWN_REVISION);
    }
    SECURITY_DESCRIPTOR header{};
    header.Revision = SECURITY_DESCRIPTOR_REVISION;
    std::memcpy(descriptor, &header, sizeof header);
}

SECURITY_DESCRIPTOR& absolute_descriptor(void* descriptor) {
    const SECURITY_DESCRIPTOR& header = header_of(descriptor);
    if (header.Control & SE_SELF_RELATIVE) {
        fail(ERROR_INVALID_SECURITY_DESCR);
    }
    return *static_cast<SECURITY_DESCRIPTOR*>(descriptor);
}

}  // namespace platform::advapi
