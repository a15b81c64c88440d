#include "platform/advapi/file_security.hpp"

#include "platform/advapi/access_check.hpp"
#include "platform/advapi/acls.hpp"
#include "platform/advapi/descriptors.hpp"
#include "platform/advapi/errors.hpp"
#include "platform/advapi/sids.hpp"
#include "platform/advapi/tokens.hpp"
#include "platform/advapi/users_group_acl.hpp"
#include "platform/kernel/path_walk.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

namespace platform::advapi {
namespace {

constexpr WORD stored_control_bits = SE_DACL_DEFAULTED | SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED;
// Far more than any real path is deep; ends the walk up on a broken file system.
constexpr int max_folder_depth = 4096;

namespace kernel = platform::kernel;

// The object at `path`, walked without following a link that another account could have planted;
// with O_NOFOLLOW a link at the last element is opened itself.
kernel::unique_fd open_object(const char* path, int flags) {
    kernel::unique_fd fd;
    const auto last = (flags & O_NOFOLLOW) != 0 ? kernel::last_link::keep : kernel::last_link::follow;
    if (const int error = kernel::walk_path(path, last, fd)) {
        fail(error_from_errno(error));
    }
    if ((flags & O_DIRECTORY) != 0) {
        struct stat facts {};
        if (fstat(fd.get(), &facts) != 0 || !S_ISDIR(facts.st_mode)) {
            fail(error_from_errno(ENOTDIR));
        }
    }
    return fd;
}

struct stat status_of(const kernel::unique_fd& fd) {
    struct stat st {};
    if (fstat(fd.get(), &st) != 0) {
        fail(error_from_errno(errno));
    }
    return st;
}

// A DACL as a file has it: the control bits that concern it, and the list (empty for a null DACL).
struct dacl_record {
    WORD control = 0;
    std::vector<BYTE> acl;
};

// The stored descriptor's DACL, nothing when the file has no descriptor of its own, or none when
// the descriptor has no DACL.
std::optional<std::optional<dacl_record>> stored_dacl(const kernel::unique_fd& fd) {
    const std::string file = kernel::descriptor_path(fd.get());
    std::vector<BYTE> bytes;
    for (;;) {
        const ssize_t size = getxattr(file.c_str(), file_security_attribute, nullptr, 0);
        if (size < 0) {
            if (errno == ENODATA || errno == ENOTSUP) {
                return std::nullopt;
            }
            fail(error_from_errno(errno));
        }
        bytes.resize(static_cast<std::size_t>(size));
        const ssize_t read = getxattr(file.c_str(), file_security_attribute, bytes.data(), bytes.size());
        if (read >= 0) {
            bytes.resize(static_cast<std::size_t>(read));
            break;
        }
        if (errno != ERANGE) {
            fail(error_from_errno(errno));
        }
    }
    const std::optional<descriptor_view> view = parse_self_relative(bytes.data(), bytes.size());
    if (!view) {
        fail(ERROR_INVALID_SECURITY_DESCR);
    }
    if (!view->dacl_present) {
        return std::optional<dacl_record>();
    }
    dacl_record record{static_cast<WORD>(view->control & stored_control_bits), {}};
    if (view->dacl) {
        const auto* begin = reinterpret_cast<const BYTE*>(view->dacl);
        record.acl.assign(begin, begin + view->dacl->AclSize);
    }
    return std::optional<dacl_record>(std::move(record));
}

// The entries a child inherits from its folder's DACL; none when nothing is inheritable.
std::optional<dacl_record> inherit(const dacl_record& parent, bool child_is_folder) {
    if (parent.acl.empty()) {
        return std::nullopt;
    }
    std::vector<BYTE> acl(sizeof(ACL));
    WORD count = 0;
    for (const ace_entry& entry : acl_entries(reinterpret_cast<const ACL*>(parent.acl.data()))) {
        const BYTE f = entry.flags;
        BYTE flags;
        if (child_is_folder && (f & CONTAINER_INHERIT_ACE)) {
            flags = (f & NO_PROPAGATE_INHERIT_ACE)
                        ? 0
                        : static_cast<BYTE>(f & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE));
        } else if (child_is_folder && (f & OBJECT_INHERIT_ACE) && !(f & NO_PROPAGATE_INHERIT_ACE)) {
            flags = OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE;  // passes on to the files below
        } else if (!child_is_folder && (f & OBJECT_INHERIT_ACE)) {
            flags = 0;
        } else {
            continue;
        }
        WORD size;
        std::memcpy(&size, entry.header + 2, sizeof size);
        const std::size_t at = acl.size();
        acl.insert(acl.end(), entry.header, entry.header + size);
        acl[at + 1] = static_cast<BYTE>(flags | INHERITED_ACE);
        ++count;
    }
    if (count == 0 || acl.size() > 0xFFFF) {
        return std::nullopt;
    }
    const ACL header{reinterpret_cast<const ACL*>(parent.acl.data())->AclRevision, 0, static_cast<WORD>(acl.size()),
                     count, 0};
    std::memcpy(acl.data(), &header, sizeof header);
    return dacl_record{SE_DACL_AUTO_INHERITED, std::move(acl)};
}

bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string parent_folder(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file's own DACL, else what it inherits (see the header).
std::optional<dacl_record> effective_dacl(const kernel::unique_fd& object, const struct stat& object_status,
                                          const std::string& path) {
    if (auto own = stored_dacl(object)) {
        return *own;
    }
    kernel::unique_fd folder = open_object(parent_folder(path).c_str(), O_DIRECTORY);
    struct stat folder_status = status_of(folder);
    if (same_file(folder_status, object_status)) {
        return std::nullopt;  // the root folder
    }
    // Walk up to the nearest folder with a descriptor, counting the generations in between.
    int generations = 1;
    std::optional<std::optional<dacl_record>> found;
    for (; generations < max_folder_depth; ++generations) {
        try {
            found = stored_dacl(folder);
        } catch (const failure&) {
            return std::nullopt;  // a folder above that this account cannot read: nothing known
        }
        if (found) {
            break;
        }
        kernel::unique_fd above(openat(folder.get(), "..", O_PATH | O_CLOEXEC | O_DIRECTORY));
        if (above.get() < 0) {
            return std::nullopt;
        }
        const struct stat above_status = status_of(above);
        if (same_file(above_status, folder_status)) {
            return std::nullopt;
        }
        folder = std::move(above);
        folder_status = above_status;
    }
    if (!found || !*found) {
        return std::nullopt;
    }
    std::optional<dacl_record> dacl = std::move(**found);
    for (int g = 1; g < generations && dacl; ++g) {
        dacl = inherit(*dacl, true);
    }
    return dacl ? inherit(*dacl, S_ISDIR(object_status.st_mode)) : std::nullopt;
}

bool security_privilege_enabled() {
    const auto object = effective_token();
    const privilege_info* security = find_privilege("SeSecurityPrivilege");
    std::lock_guard lock(object->privileges->mutex);
    return security && object->enabled(*security);
}

}  // namespace

std::vector<BYTE> read_file_security(const std::string& path, SECURITY_INFORMATION requested) {
    if ((requested & SACL_SECURITY_INFORMATION) && !security_privilege_enabled()) {
        fail(ERROR_PRIVILEGE_NOT_HELD);
    }
    const kernel::unique_fd object = open_object(path.c_str(), 0);
    const struct stat status = status_of(object);
    const sid_bytes owner = unix_user_sid(status.st_uid);
    const sid_bytes group = unix_group_sid(status.st_gid);
    std::optional<dacl_record> dacl;
    if (requested & DACL_SECURITY_INFORMATION) {
        dacl = effective_dacl(object, status, path);
    }
    return make_self_relative(dacl ? dacl->control : 0,
                              (requested & OWNER_SECURITY_INFORMATION) ? owner.data() : nullptr,
                              (requested & GROUP_SECURITY_INFORMATION) ? group.data() : nullptr, dacl.has_value(),
                              dacl && !dacl->acl.empty() ? reinterpret_cast<const ACL*>(dacl->acl.data()) : nullptr);
}

void write_file_security(const std::string& path, SECURITY_INFORMATION information, const void* descriptor) {
    if (information & ~DACL_SECURITY_INFORMATION) {
        fail(ERROR_NOT_SUPPORTED);
    }
    if (!descriptor_valid(descriptor)) {
        fail(ERROR_INVALID_SECURITY_DESCR);
    }
    if (!(information & DACL_SECURITY_INFORMATION)) {
        return;
    }
    const descriptor_view view = read_descriptor(descriptor);
    kernel::held_entry entry;
    if (const int error = kernel::hold_entry(path, entry)) {
        fail(error_from_errno(error));
    }
    const kernel::unique_fd object(openat(entry.folder.get(), entry.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (object.get() < 0) {
        fail(error_from_errno(errno));
    }
    const struct stat status = status_of(object);
    if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
        fail(ERROR_CANT_ACCESS_FILE);
    }
    // A second name of a file in a folder other accounts may write can lead to anyone's file: it
    // gets no access.
    if (entry.shared && S_ISREG(status.st_mode) && status.st_nlink > 1) {
        fail(ERROR_ACCESS_DENIED);
    }
    const bool folder = S_ISDIR(status.st_mode);

    WORD control = view.control & stored_control_bits;
    if (view.control & SE_DACL_AUTO_INHERIT_REQ) {
        control |= SE_DACL_AUTO_INHERITED;
    }
    const std::vector<BYTE> record = make_self_relative(control, nullptr, nullptr, view.dacl_present, view.dacl);

    unsigned access = 0;
    unsigned inheritable = 0;
    if (view.dacl) {
        const std::vector<ace_entry> entries = acl_entries(view.dacl);
        const sid_bytes users = users_sid();
        const auto is_users = [&users](const BYTE* sid) { return sid_equal(sid, users.data()); };
        access = posix_permissions(granted_rights(
            entries, is_users, [](BYTE f) { return (f & INHERIT_ONLY_ACE) == 0; }, file_generic_mapping));
        if (folder) {
            inheritable = posix_permissions(granted_rights(
                entries, is_users, [](BYTE f) { return (f & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) != 0; },
                file_generic_mapping));
        }
    }
    // A path that names exactly this file, whatever happens to the name it was opened by.
    const std::string object_path = kernel::descriptor_path(object.get());
    users_group_acl_update update(object_path, folder, access, inheritable);
    if (setxattr(object_path.c_str(), file_security_attribute, record.data(), record.size(), 0) != 0) {
        fail(error_from_errno(errno));
    }
    update.keep();
}

}  // namespace platform::advapi
