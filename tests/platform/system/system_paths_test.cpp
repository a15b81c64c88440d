#include "platform/system/system_paths.hpp"

#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

namespace sys = platform::system;

using test_support::scoped_env;

TEST(SystemPaths, RootMovesWithTheVariable) {
    {
        scoped_env root("SETUP_SYSTEM_ROOT", nullptr);
        EXPECT_EQ(sys::system_root(), "/");
        EXPECT_EQ(sys::under_root("var/lib"), "/var/lib");
    }
    scoped_env root("SETUP_SYSTEM_ROOT", "/tmp/machine");
    EXPECT_EQ(sys::under_root("var/lib"), "/tmp/machine/var/lib");
    EXPECT_EQ(sys::under_root("/opt"), "/tmp/machine/opt");
}

TEST(SystemPaths, XdgFoldersFollowTheBaseDirectoryRules) {
    scoped_env home("HOME", "/home/ann");
    {
        scoped_env data("XDG_DATA_HOME", "relative/ignored");
        scoped_env config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(sys::xdg_data_home(), "/home/ann/.local/share");
        EXPECT_EQ(sys::xdg_config_home(), "/home/ann/.config");
    }
    scoped_env data("XDG_DATA_HOME", "/data");
    EXPECT_EQ(sys::xdg_data_home(), "/data");
}

TEST(SystemPaths, TemporaryFolderEndsWithASeparator) {
    const struct {
        const char* tmpdir;
        const char* expected;
    } cases[] = {{nullptr, "/tmp/"}, {"", "/tmp/"}, {"rel", "/tmp/"}, {"/var/tmp", "/var/tmp/"}, {"/x/", "/x/"}};
    for (const auto& c : cases) {
        scoped_env tmp("TMPDIR", c.tmpdir);
        EXPECT_EQ(sys::temp_folder().string(), c.expected);
    }
}
