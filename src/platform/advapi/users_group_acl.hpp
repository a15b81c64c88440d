// Gives a DACL's entries for the local Users group their real effect: the rights they grant become a
// POSIX ACL entry for the group `users` (read, write and execute from the data, write-data and
// execute rights), and the rights inheritable by a folder's children the same entry of its default
// ACL. No rights removes the entry.
#pragma once

#include "platform/advapi/advapi_abi.hpp"

#include <sys/acl.h>

#include <string>

namespace platform::advapi {

// ACL_READ, ACL_WRITE and ACL_EXECUTE bits for a file access mask.
unsigned posix_permissions(ACCESS_MASK rights);

// Applies the entries on construction; the destructor puts the previous ACLs back unless keep() was
// called, so that a failure in a later step leaves the file as it was.
class users_group_acl_update {
public:
    // `file` is a path naming the file itself (no symbolic link on the way).
    users_group_acl_update(std::string file, bool folder, unsigned access_permissions, unsigned default_permissions);
    ~users_group_acl_update();
    users_group_acl_update(const users_group_acl_update&) = delete;
    users_group_acl_update& operator=(const users_group_acl_update&) = delete;

    void keep() { m_kept = true; }

private:
    // Puts the previous ACLs back unless kept, and frees them.
    void restore() noexcept;

    std::string m_file;
    acl_t m_old_access = nullptr;   // set when the access ACL was changed
    acl_t m_old_default = nullptr;  // set when the default ACL was changed
    bool m_kept = false;
};

}  // namespace platform::advapi
