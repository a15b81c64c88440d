// What a machine holds, to compare before and after: every file, folder and link under the sandbox's
// root and home folders (type, size, content hash, mode bits, owner, link target, extended attributes,
// POSIX ACLs) and both registry hives in full. The registry's own database files are left out of the
// file part: the registry part compares what they hold.
#pragma once

#include "platform/registry/value.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

namespace test_support {

class sandbox_machine;

struct file_state {
    char type = '?';  // 'f' file, 'd' folder, 'l' symbolic link, 'o' other
    std::uintmax_t size = 0;
    std::uint64_t content_hash = 0;  // CRC-64 of a file's bytes
    unsigned mode = 0;               // permission, set-id and sticky bits
    unsigned owner = 0;
    unsigned group = 0;
    std::string link_target;
    std::map<std::string, std::string> xattrs;  // every extended attribute but the ACL ones
    std::string access_acl;                     // empty when the mode bits say it all
    std::string default_acl;                    // folders only; empty when there is none

    friend bool operator==(const file_state&, const file_state&) = default;
};

// Registry keys by full name (case as stored), each with its values by name.
using registry_state = std::map<std::string, std::map<std::string, platform::registry::value>>;

class machine_snapshot {
public:
    static machine_snapshot take(const sandbox_machine& machine);

    // Paths relative to the sandbox folder: "root/opt/...", "home/.config/...".
    std::map<std::string, file_state> files;
    registry_state registry;

    friend bool operator==(const machine_snapshot&, const machine_snapshot&) = default;
};

// One line per path, key or value that differs, saying what it was and what it is; empty when equal.
std::string difference(const machine_snapshot& before, const machine_snapshot& after);

// For EXPECT_TRUE(same_machine(before, after)): the failure message is the difference.
testing::AssertionResult same_machine(const machine_snapshot& before, const machine_snapshot& after);

// A short summary; the difference says what matters.
void PrintTo(const machine_snapshot& snapshot, std::ostream* out);

}  // namespace test_support
