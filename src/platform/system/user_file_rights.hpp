// Writing into a user's folders with that user's own rights. While a user_file_rights object lives,
// the calling thread's file-system user and group and its supplementary groups are the acting user's
// (acting_user), so what it creates belongs to them and it can write only where they could: a link
// they planted leads nowhere they could not write themselves. Other threads keep root's rights (a
// thread started during the switch inherits it, as the kernel copies the credentials); the switch is
// undone when the object goes, in the reverse order.
//
// Without an acting user, or when not asked to switch, the object does nothing.
// Failure modes: a switch the kernel refuses throws std::system_error, and nothing is left switched;
// failing to switch back ends the process, as it could no longer tell whose rights it writes with.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <vector>

namespace platform::system {

class user_file_rights {
public:
    // Switches when `wanted` and an acting user exists.
    explicit user_file_rights(bool wanted = true);
    ~user_file_rights();

    user_file_rights(const user_file_rights&) = delete;
    user_file_rights& operator=(const user_file_rights&) = delete;

    // Whether this object switched the thread's rights.
    bool switched() const { return m_switched; }

private:
    bool m_switched = false;
    std::uint32_t m_previous_uid = 0;
    std::uint32_t m_previous_gid = 0;
    std::vector<std::uint32_t> m_previous_groups;
};

// The calling thread's file-system user: the effective user unless a user_file_rights switched it.
std::uint32_t file_system_uid();

}  // namespace platform::system
