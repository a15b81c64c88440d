#include "platform/advapi/users_group_acl.hpp"

#include "platform/advapi/errors.hpp"

#include <acl/libacl.h>
#include <grp.h>

#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

namespace platform::advapi {
namespace {

class acl_holder {
public:
    explicit acl_holder(acl_t acl = nullptr) : m_acl(acl) {}
    ~acl_holder() {
        if (m_acl) {
            acl_free(m_acl);
        }
    }
    acl_holder(acl_holder&& other) noexcept : m_acl(std::exchange(other.m_acl, nullptr)) {}
    acl_holder& operator=(acl_holder&&) = delete;

    acl_t& get() { return m_acl; }
    acl_t release() { return std::exchange(m_acl, nullptr); }

private:
    acl_t m_acl;
};

[[noreturn]] void fail_errno() {
    fail(error_from_errno(errno));
}

void check(int result) {
    if (result != 0) {
        fail_errno();
    }
}

std::optional<gid_t> users_group() {
    group entry{};
    group* found = nullptr;
    std::vector<char> buffer(4096);
    while (getgrnam_r("users", &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    return found ? std::optional<gid_t>(found->gr_gid) : std::nullopt;
}

acl_holder read_acl(const std::string& file, acl_type_t type) {
    acl_holder acl(acl_get_file(file.c_str(), type));
    if (!acl.get()) {
        fail_errno();
    }
    return acl;
}

// The entries of one tag, in order.
std::vector<acl_entry_t> entries_of(acl_t acl, std::optional<acl_tag_t> tag = std::nullopt) {
    std::vector<acl_entry_t> found;
    acl_entry_t entry;
    for (int more = acl_get_entry(acl, ACL_FIRST_ENTRY, &entry); more == 1;
         more = acl_get_entry(acl, ACL_NEXT_ENTRY, &entry)) {
        acl_tag_t entry_tag;
        if (acl_get_tag_type(entry, &entry_tag) == 0 && (!tag || entry_tag == *tag)) {
            found.push_back(entry);
        }
    }
    return found;
}

std::optional<acl_entry_t> group_entry(acl_t acl, gid_t gid) {
    for (acl_entry_t entry : entries_of(acl, ACL_GROUP)) {
        void* qualifier = acl_get_qualifier(entry);
        const bool match = qualifier && *static_cast<gid_t*>(qualifier) == gid;
        acl_free(qualifier);
        if (match) {
            return entry;
        }
    }
    return std::nullopt;
}

bool has_named_entries(acl_t acl) {
    return !entries_of(acl, ACL_USER).empty() || !entries_of(acl, ACL_GROUP).empty();
}

unsigned permissions_of(acl_entry_t entry) {
    acl_permset_t set;
    check(acl_get_permset(entry, &set));
    return (acl_get_perm(set, ACL_READ) == 1 ? ACL_READ : 0) | (acl_get_perm(set, ACL_WRITE) == 1 ? ACL_WRITE : 0) |
           (acl_get_perm(set, ACL_EXECUTE) == 1 ? ACL_EXECUTE : 0);
}

// Sets or removes the group's entry and keeps the mask consistent; false when nothing changed.
bool set_group_entry(acl_t* acl, gid_t gid, unsigned permissions) {
    std::optional<acl_entry_t> entry = group_entry(*acl, gid);
    if (permissions == 0) {
        if (!entry) {
            return false;
        }
        check(acl_delete_entry(*acl, *entry));
    } else {
        if (entry && permissions_of(*entry) == permissions) {
            return false;
        }
        if (!entry) {
            acl_entry_t created;
            check(acl_create_entry(acl, &created));
            check(acl_set_tag_type(created, ACL_GROUP));
            check(acl_set_qualifier(created, &gid));
            entry = created;
        }
        acl_permset_t set;
        check(acl_get_permset(*entry, &set));
        check(acl_clear_perms(set));
        for (acl_perm_t perm : {ACL_READ, ACL_WRITE, ACL_EXECUTE}) {
            if (permissions & perm) {
                check(acl_add_perm(set, perm));
            }
        }
        check(acl_set_permset(*entry, set));
    }
    if (has_named_entries(*acl)) {
        check(acl_calc_mask(acl));
    } else {
        for (acl_entry_t mask : entries_of(*acl, ACL_MASK)) {
            check(acl_delete_entry(*acl, mask));
        }
    }
    return true;
}

void write_acl(const std::string& file, acl_type_t type, acl_t acl) {
    if (type == ACL_TYPE_DEFAULT && acl_entries(acl) == 0) {
        check(acl_delete_def_file(file.c_str()));
        return;
    }
    if (acl_valid(acl) != 0) {
        fail(ERROR_INVALID_ACL);
    }
    check(acl_set_file(file.c_str(), type, acl));
}

// A default ACL for a folder that has none starts from the owner, group and other entries of its
// access ACL, as its children's permissions would otherwise come from the mode.
void seed_default(acl_t* deflt, acl_t access) {
    for (acl_tag_t tag : {ACL_USER_OBJ, ACL_GROUP_OBJ, ACL_OTHER}) {
        for (acl_entry_t source : entries_of(access, tag)) {
            acl_entry_t copy;
            check(acl_create_entry(deflt, &copy));
            check(acl_copy_entry(copy, source));
        }
    }
}

}  // namespace

unsigned posix_permissions(ACCESS_MASK rights) {
    return ((rights & FILE_READ_DATA) ? ACL_READ : 0) | ((rights & FILE_WRITE_DATA) ? ACL_WRITE : 0) |
           ((rights & FILE_EXECUTE) ? ACL_EXECUTE : 0);
}

users_group_acl_update::users_group_acl_update(std::string file, bool folder, unsigned access_permissions,
                                               unsigned default_permissions)
    : m_file(std::move(file)) {
    const std::optional<gid_t> gid = users_group();
    if (!gid) {
        return;  // no such group on this system: the DACL is still recorded
    }
    try {
        acl_holder access = read_acl(m_file, ACL_TYPE_ACCESS);
        acl_holder old_access(acl_dup(access.get()));
        if (!old_access.get()) {
            fail_errno();
        }
        if (set_group_entry(&access.get(), *gid, access_permissions)) {
            write_acl(m_file, ACL_TYPE_ACCESS, access.get());
            m_old_access = old_access.release();
        }
        if (!folder) {
            return;
        }
        acl_holder deflt = read_acl(m_file, ACL_TYPE_DEFAULT);
        acl_holder old_default(acl_dup(deflt.get()));
        if (!old_default.get()) {
            fail_errno();
        }
        if (default_permissions != 0 && acl_entries(deflt.get()) == 0) {
            seed_default(&deflt.get(), access.get());
        }
        if (set_group_entry(&deflt.get(), *gid, default_permissions)) {
            // Without named entries left the default ACL would only pin the mode of new children: drop it.
            acl_holder empty(acl_init(0));
            write_acl(m_file, ACL_TYPE_DEFAULT, has_named_entries(deflt.get()) ? deflt.get() : empty.get());
            m_old_default = old_default.release();
        }
    } catch (...) {
        restore();
        throw;
    }
}

users_group_acl_update::~users_group_acl_update() {
    restore();
}

void users_group_acl_update::restore() noexcept {
    if (m_old_access) {
        if (!m_kept) {
            acl_set_file(m_file.c_str(), ACL_TYPE_ACCESS, m_old_access);
        }
        acl_free(m_old_access);
        m_old_access = nullptr;
    }
    if (m_old_default) {
        if (!m_kept) {
            if (acl_entries(m_old_default) == 0) {
                acl_delete_def_file(m_file.c_str());
            } else {
                acl_set_file(m_file.c_str(), ACL_TYPE_DEFAULT, m_old_default);
            }
        }
        acl_free(m_old_default);
        m_old_default = nullptr;
    }
}

}  // namespace platform::advapi
