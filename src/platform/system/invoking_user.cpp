#include "platform/system/invoking_user.hpp"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform::system {
namespace {

std::unique_ptr<user_account>& chosen_user() {
    static std::unique_ptr<user_account> user;
    return user;
}

std::optional<std::uint32_t> uid_from(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) {
        return std::nullopt;
    }
    std::uint32_t uid = 0;
    const char* end = text + std::strlen(text);
    const auto [last, error] = std::from_chars(text, end, uid);
    if (error != std::errc() || last != end) {
        return std::nullopt;
    }
    return uid;
}

std::vector<std::uint32_t> groups_of(const char* name, gid_t primary) {
    int count = 32;
    std::vector<gid_t> found(static_cast<std::size_t>(count));
    while (getgrouplist(name, primary, found.data(), &count) < 0) {
        found.resize(static_cast<std::size_t>(count));
    }
    found.resize(static_cast<std::size_t>(count));
    return {found.begin(), found.end()};
}

}  // namespace

bool running_as_root() {
    return geteuid() == 0;
}

std::uint32_t real_user_id() {
    return getuid();
}

bool started_through_pkexec() {
    const char* uid = std::getenv("PKEXEC_UID");
    return uid && *uid;
}

std::optional<user_account> look_up_account(std::uint32_t uid) {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    while (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (!found || !found->pw_name || !found->pw_dir) {
        return std::nullopt;
    }
    user_account account;
    account.uid = found->pw_uid;
    account.gid = found->pw_gid;
    account.name = found->pw_name;
    account.home = found->pw_dir;
    account.groups = groups_of(found->pw_name, found->pw_gid);
    return account;
}

std::optional<user_account> find_invoking_user() {
    if (!running_as_root()) {
        return std::nullopt;
    }
    auto uid = uid_from("PKEXEC_UID");
    if (!uid && !started_through_pkexec()) {
        uid = uid_from("SUDO_UID");
    }
    if (!uid || *uid == 0) {
        return std::nullopt;
    }
    return look_up_account(*uid);
}

void act_for_user(const user_account& user) {
    const char* home = std::getenv("HOME");
    const auto root = look_up_account(0);
    if (!home || !*home || (root && boost::filesystem::path(home) == root->home)) {
        setenv("HOME", user.home.c_str(), 1);
    }
    chosen_user() = std::make_unique<user_account>(user);
}

const user_account* acting_user() {
    return chosen_user().get();
}

}  // namespace platform::system
