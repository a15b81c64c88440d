// Running part of a test in a fresh process: the test program started again (the "threadsafe" death
// test style), so that the security library is bound anew, from the folder the part chooses, and
// nothing the parent bound carries over. Each part reports through its exit code.
#pragma once

#include "platform/kernel/dynamic_library.hpp"
#include "support/security_fixtures.hpp"

#include <grp.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace test_support {

inline constexpr const char* full_library = "";
inline constexpr const char* without_check_token_membership = "variants/without_check_token_membership";
inline constexpr const char* without_add_access_allowed_ace_ex = "variants/without_add_access_allowed_ace_ex";

inline void use_fresh_processes() {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    (void)temp_folder_base();  // made before the first fresh process, which then uses it
}

// Makes the process load "advapi32.dll" from the build folder of the given variant.
inline void use_library(const std::string& variant) {
    platform::kernel::dynamic_library::set_search_folder(std::string(QUILLON_BINARY_DIR "/bin/") + variant);
}

// Drops to the account "nobody" for good; ends the process with 97 when it cannot.
inline void become_nobody() {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
        std::perror("become_nobody");
        _exit(97);
    }
    prctl(PR_SET_DUMPABLE, 1);  // /proc/self stays readable, as for a process started as nobody
}

}  // namespace test_support
