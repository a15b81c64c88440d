#include "platform/kernel/temp_files.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/scratch_folder.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

namespace kernel = platform::kernel;
namespace fs = boost::filesystem;
using test_support::scratch_folder;

namespace {

struct stat status_of(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status;
}

std::string temp_name(const char* prefix, unsigned number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%04X.tmp", prefix, number);
    return name;
}

}  // namespace

TEST(TempFiles, NamesFollowThePrefixRule) {
    scratch_folder scratch;
    const struct {
        const char* prefix;
        const char* pattern;
    } cases[] = {
        {"vn", "vn[0-9A-F]{4}\\.tmp"},
        {"vintrel", "vin[0-9A-F]{4}\\.tmp"},
        {"", "[0-9A-F]{4}\\.tmp"},
        {"\xC3\xA9t\xC3\xA9s", "\xC3\xA9t\xC3\xA9[0-9A-F]{4}\\.tmp"},  // three characters, not three bytes
    };
    for (const auto& c : cases) {
        fs::path created;
        ASSERT_FALSE(kernel::create_temp_file(scratch.path(), c.prefix, created)) << c.prefix;
        EXPECT_EQ(created.parent_path(), scratch.path());
        EXPECT_TRUE(std::regex_match(created.filename().string(), std::regex(c.pattern))) << created;
        const struct stat status = status_of(created);
        EXPECT_TRUE(S_ISREG(status.st_mode));
        EXPECT_EQ(status.st_size, 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u);
    }
}

TEST(TempFiles, EachCallTakesANewName) {
    scratch_folder scratch;
    fs::path first;
    fs::path second;
    ASSERT_FALSE(kernel::create_temp_file(scratch.path(), "vn", first));
    ASSERT_FALSE(kernel::create_temp_file(scratch.path(), "vn", second));
    EXPECT_NE(first, second);
}

// In a shared temporary folder another account may plant links at the names to come. None may be
// followed, dangling ones included (creating through one would create its target).
TEST(TempFiles, PlantedSymbolicLinksAreNeverFollowed) {
    scratch_folder scratch;
    const fs::path shared = scratch / "tmp";
    const fs::path victim = scratch / "victim";
    // Sixty-five thousand links are made far faster in memory, and go with the unmount.
    test_support::private_tmpfs in_memory(shared, "16m");
    fs::create_directories(victim);
    constexpr unsigned free_number = 0x4242;
    for (unsigned number = 1; number <= 0xFFFF; ++number) {
        if (number != free_number) {
            fs::create_symlink(victim / temp_name("vn", number), shared / temp_name("vn", number));
        }
    }

    fs::path created;
    ASSERT_FALSE(kernel::create_temp_file(shared, "vn", created));
    EXPECT_EQ(created, shared / temp_name("vn", free_number));
    EXPECT_TRUE(S_ISREG(status_of(created).st_mode));
    EXPECT_TRUE(fs::is_empty(victim));

    // With the last name taken too, the call fails as Windows does when every number is used.
    EXPECT_EQ(kernel::create_temp_file(shared, "vn", created).value(), static_cast<int>(kernel::win32::file_exists));
    EXPECT_TRUE(fs::is_empty(victim));
}

TEST(TempFiles, FolderIsPrivateAndNew) {
    scratch_folder scratch;
    fs::path first;
    fs::path second;
    ASSERT_FALSE(kernel::create_temp_folder(scratch.path(), "vintrel_", first));
    ASSERT_FALSE(kernel::create_temp_folder(scratch.path(), "vintrel_", second));
    EXPECT_NE(first, second);
    EXPECT_EQ(first.filename().string().rfind("vintrel_", 0), 0u);
    const struct stat status = status_of(first);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0700u);
}

TEST(TempFiles, PrivateFolderIsNeverOneSomebodyElsePrepared) {
    scratch_folder scratch;
    const fs::path folder = scratch / "vintrel_{0d4f7c36-5b8e-4a51-9a4b-2f6c1d3e8b90}";
    ASSERT_FALSE(kernel::create_private_folder(folder));
    EXPECT_EQ(status_of(folder).st_mode & 0777, 0700u);

    fs::create_directory(scratch / "elsewhere");
    fs::create_symlink(scratch / "elsewhere", scratch / "planted");
    for (const fs::path& taken : {folder, scratch / "planted"}) {
        EXPECT_EQ(kernel::create_private_folder(taken).value(), static_cast<int>(kernel::win32::already_exists));
    }
    EXPECT_EQ(kernel::create_private_folder(scratch / "missing" / "x").value(),
              static_cast<int>(kernel::win32::path_not_found));
}

TEST(TempFiles, Failures) {
    scratch_folder scratch;
    fs::path created;
    EXPECT_EQ(kernel::create_temp_file(scratch / "missing", "vn", created).value(),
              static_cast<int>(kernel::win32::path_not_found));
    EXPECT_EQ(kernel::create_temp_folder(scratch / "missing", "x", created).value(),
              static_cast<int>(kernel::win32::path_not_found));
    // A prefix may not lead out of the folder.
    EXPECT_EQ(kernel::create_temp_file(scratch.path(), "../", created).value(),
              static_cast<int>(kernel::win32::invalid_parameter));
    EXPECT_EQ(kernel::create_temp_folder(scratch.path(), "../x", created).value(),
              static_cast<int>(kernel::win32::invalid_parameter));
    EXPECT_EQ(kernel::last_error(), kernel::win32::invalid_parameter);
    EXPECT_TRUE(created.empty());
}
