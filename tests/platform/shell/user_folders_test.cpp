// Which paths count as the user's folders, whose writes take the user's rights.
#include "platform/shell/user_folders.hpp"

#include "support/scoped_env.hpp"

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <fstream>

using test_support::scoped_env;

TEST(UserFolders, HoldTheHomeXdgAndUserDirsFoldersOnly) {
    char pattern[] = "/tmp/vn-folders-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const boost::filesystem::path config = boost::filesystem::path(pattern);
    std::ofstream(config.string() + "/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"/data/ann docs\"\n";
    scoped_env home("HOME", "/home/ann");
    scoped_env configHome("XDG_CONFIG_HOME", pattern);
    scoped_env dataHome("XDG_DATA_HOME", "/srv/ann-data");

    const struct {
        const char* path;
        bool inside;
    } cases[] = {
        {"/home/ann", true},
        {"/home/ann/Desktop/Quillon 7.desktop", true},
        {"/home/ann/./Desktop/../x", true},
        {"/home/annex/file", false},       // a name that only begins like the home folder
        {"/home/ann/../bob/file", false},  // leaves it
        {"/srv/ann-data/applications/q.desktop", true},
        {"/data/ann docs/Samples/a.qln", true},
        {"/data/other", false},
        {"/opt/Vintrel/Quillon 7/quillon", false},
        {"home/ann/relative", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::shell::in_user_folders(c.path), c.inside) << c.path;
    }
    {
        scoped_env rootHome("HOME", "/");  // no one's own: nothing counts through it
        EXPECT_FALSE(platform::shell::in_user_folders("/etc/passwd"));
    }
    boost::filesystem::remove_all(config);
}
