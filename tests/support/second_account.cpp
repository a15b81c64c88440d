#include "support/second_account.hpp"

#include <grp.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace test_support {
namespace {

constexpr const char* account_name = "quillon-tester";
constexpr const char* group_name = "users";

// Starts argv (looked up on PATH), waits for it and returns its exit status; -1 when it could not
// be started, 128 + the signal when one ended it.
int spawn_and_wait(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return -1;
    }
    std::vector<char*> arguments;
    for (const std::string& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, arguments[0], nullptr, nullptr, arguments.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

// Whether the account has the group, as its own or as a further one.
bool in_group(const passwd& account, gid_t group) {
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (getgrouplist(account.pw_name, account.pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (getgrouplist(account.pw_name, account.pw_gid, groups.data(), &count) < 0) {
            return false;
        }
    }
    groups.resize(static_cast<std::size_t>(count));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

}  // namespace

std::optional<SecondAccount> EnsureSecondAccount(std::string& why) {
    if (geteuid() != 0) {
        why = "a second account needs root: to create it and to run commands as it";
        return std::nullopt;
    }
    const group* users = getgrnam(group_name);
    if (!users) {
        why = std::string("the machine has no group '") + group_name + "'";
        return std::nullopt;
    }
    const gid_t users_gid = users->gr_gid;
    // Tests running at the same time may each try to create it; one useradd wins, the others find
    // the account made by then (or its files locked, and try again).
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (const passwd* entry = getpwnam(account_name)) {
            if (entry->pw_uid == 0 || !in_group(*entry, users_gid)) {
                why = std::string("the account '") + account_name + "' exists but is not an ordinary member of '" +
                      group_name + "'";
                return std::nullopt;
            }
            return SecondAccount{entry->pw_uid, users_gid, entry->pw_name};
        }
        const int status = spawn_and_wait({"useradd", "--no-create-home", "--no-user-group", "--gid", group_name,
                                           "--shell", "/usr/sbin/nologin", account_name});
        if (status == -1) {
            why = std::string("useradd could not be run to create the account '") + account_name + "'";
            return std::nullopt;
        }
        if (status != 0) {
            usleep(100 * 1000);
        }
    }
    why = std::string("useradd did not create the account '") + account_name + "'";
    return std::nullopt;
}

int RunAs(const SecondAccount& account, const std::vector<std::string>& argv) {
    std::vector<std::string> command = {"setpriv", "--reuid=" + std::to_string(account.uid),
                                        "--regid=" + std::to_string(account.gid), "--init-groups", "--"};
    command.insert(command.end(), argv.begin(), argv.end());
    return spawn_and_wait(command);
}

}  // namespace test_support
