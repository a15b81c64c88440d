#include "platform/advapi/identity.hpp"

#include <unistd.h>

#include <algorithm>

namespace platform::advapi {

identity identity::current() {
    identity who;
    who.uid = geteuid();
    who.groups.push_back(getegid());
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> supplementary(static_cast<std::size_t>(count));
        const int read = getgroups(count, supplementary.data());
        supplementary.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
        for (gid_t gid : supplementary) {
            if (std::find(who.groups.begin(), who.groups.end(), gid) == who.groups.end()) {
                who.groups.push_back(gid);
            }
        }
    }
    return who;
}

bool identity::holds(const privilege_info& privilege) const {
    return privilege.held_by_everyone || (is_administrator() && privilege.held_by_administrators);
}

sid_bytes identity::user_sid() const {
    return unix_user_sid(uid);
}

std::vector<sid_bytes> identity::group_sids() const {
    std::vector<sid_bytes> sids{everyone_sid(), authenticated_users_sid(), users_sid()};
    if (is_administrator()) {
        sids.push_back(administrators_sid());
    }
    for (gid_t gid : groups) {
        sids.push_back(unix_group_sid(gid));
    }
    return sids;
}

bool identity::has_sid(const void* sid) const {
    if (sid_equal(user_sid().data(), sid)) {
        return true;
    }
    const std::vector<sid_bytes> groups_of = group_sids();
    return std::any_of(groups_of.begin(), groups_of.end(),
                       [sid](const sid_bytes& g) { return sid_equal(g.data(), sid); });
}

}  // namespace platform::advapi
