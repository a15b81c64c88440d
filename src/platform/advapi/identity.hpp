// Who a token speaks for, taken from the process credentials: the effective user and groups. The
// SIDs it carries are the user's (S-1-22-1-uid), Everyone, Authenticated Users, Users, each group's
// (S-1-22-2-gid), and Administrators when the effective uid is 0.
#pragma once

#include "platform/advapi/privileges.hpp"
#include "platform/advapi/sids.hpp"

#include <sys/types.h>

#include <vector>

namespace platform::advapi {

struct identity {
    uid_t uid = 0;
    std::vector<gid_t> groups;  // the effective group first

    static identity current();

    bool is_administrator() const { return uid == 0; }
    bool holds(const privilege_info& privilege) const;
    sid_bytes user_sid() const;
    std::vector<sid_bytes> group_sids() const;
    // The SID is the user's or one of the groups'.
    bool has_sid(const void* sid) const;
};

}  // namespace platform::advapi
