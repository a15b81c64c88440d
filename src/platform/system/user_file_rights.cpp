#include "platform/system/user_file_rights.hpp"

#include "platform/system/invoking_user.hpp"

#include <sys/fsuid.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace platform::system {
namespace {

// The C library's setgroups changes every thread of the process; the system call itself changes only
// the caller's, which is what a switch around one thread's writes needs.
int set_thread_groups(const std::vector<gid_t>& groups) {
    return static_cast<int>(::syscall(SYS_setgroups, groups.size(), groups.data()));
}

std::vector<gid_t> thread_groups() {
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (count > 0 && ::getgroups(count, groups.data()) != count) {
        throw std::system_error(errno, std::generic_category(), "reading the groups");
    }
    return groups;
}

// setfsuid and setfsgid report no error: the change happened when reading the value back gives it.
bool set_fsgid(gid_t gid) {
    ::setfsgid(gid);
    return static_cast<gid_t>(::setfsgid(static_cast<gid_t>(-1))) == gid;
}

bool set_fsuid(uid_t uid) {
    ::setfsuid(uid);
    return static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1))) == uid;
}

[[noreturn]] void cannot_switch_back() {
    std::fputs("cannot give the file rights back to the installer; stopping\n", stderr);
    std::abort();
}

}  // namespace

user_file_rights::user_file_rights(bool wanted) {
    const user_account* user = acting_user();
    if (!wanted || !user) {
        return;
    }
    const std::vector<gid_t> previous = thread_groups();
    m_previous_groups.assign(previous.begin(), previous.end());
    m_previous_uid = file_system_uid();
    m_previous_gid = static_cast<std::uint32_t>(::setfsgid(static_cast<gid_t>(-1)));

    const std::vector<gid_t> groups(user->groups.begin(), user->groups.end());
    if (set_thread_groups(groups) != 0) {
        throw std::system_error(errno, std::generic_category(), "taking the user's groups");
    }
    // The group first: once the user is no longer root, the group could not be changed any more.
    if (!set_fsgid(user->gid) || !set_fsuid(user->uid)) {
        set_fsuid(m_previous_uid);
        set_fsgid(m_previous_gid);
        set_thread_groups(previous);
        throw std::system_error(EPERM, std::generic_category(), "taking the user's file rights");
    }
    m_switched = true;
}

user_file_rights::~user_file_rights() {
    if (!m_switched) {
        return;
    }
    const std::vector<gid_t> previous(m_previous_groups.begin(), m_previous_groups.end());
    if (!set_fsuid(m_previous_uid) || !set_fsgid(m_previous_gid) || set_thread_groups(previous) != 0) {
        cannot_switch_back();
    }
}

std::uint32_t file_system_uid() {
    return static_cast<std::uint32_t>(::setfsuid(static_cast<uid_t>(-1)));
}

}  // namespace platform::system
