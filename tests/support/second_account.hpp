// A second, unprivileged account for tests that play a local user of the machine: one who plants
// files where the installer, run by root, will look. The account is "quillon-tester" in the group
// `users`, made with useradd the first time it is needed and kept afterwards.
//
// Only root can make the account and run commands as it: without root, or without useradd,
// EnsureSecondAccount says why and gives nothing, and the test that needed it fails with that reason.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace test_support {

struct SecondAccount {
    uid_t uid;
    gid_t gid;
    std::string name;
};

// An unprivileged account in the group `users` (created with useradd when missing, named
// "quillon-tester"); nullopt with `why` set when it cannot be had (not root, no useradd).
std::optional<SecondAccount> EnsureSecondAccount(std::string& why);

// Runs argv as that account through setpriv (--reuid --regid --init-groups), waits, and returns
// the exit status (-1 when it could not start; 128 + the signal when a signal ended it).
int RunAs(const SecondAccount& account, const std::vector<std::string>& argv);

}  // namespace test_support
