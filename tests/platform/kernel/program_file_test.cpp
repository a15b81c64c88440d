// The running program's file and whether another account could swap it before it is started again.
#include "platform/kernel/program_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <fstream>

namespace kernel = platform::kernel;
namespace fs = boost::filesystem;

namespace {

constexpr std::uint32_t kUser = 65534;

}  // namespace

TEST(ProgramFile, IsTheFileThisProcessRuns) {
    const auto program = kernel::running_program_file();
    ASSERT_TRUE(program);
    EXPECT_EQ(program->path, fs::read_symlink("/proc/self/exe"));
    EXPECT_EQ(kernel::identity_of(program->path.string()), program->identity);
    EXPECT_EQ(kernel::running_program_identity(), program->identity);
}

TEST(ProgramFile, OnlyTheUserAndRootMayBeAbleToSwapIt) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "the cases give files to other accounts";
    }
    // Under /tmp itself: a sticky folder of root's, which the rule accepts for items of the user or root.
    char pattern[] = "/tmp/vn-program-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path base = pattern;
    const struct {
        const char* name;
        mode_t folder_mode;
        uid_t folder_owner;
        mode_t file_mode;
        uid_t file_owner;
        gid_t file_group;
        bool refused;
    } cases[] = {
        {"root's in root's folder", 0755, 0, 0755, 0, 0, false},
        {"the user's own", 0755, kUser, 0755, kUser, kUser, false},
        {"a folder others write", 0777, 0, 0755, 0, 0, true},
        {"a sticky folder, root's file", 01777, 0, 0755, 0, 0, false},
        {"a sticky folder, the user's file", 01777, 0, 0755, kUser, 0, false},
        {"a sticky folder, another's file", 01777, 0, 0755, 1234, 0, true},
        {"a sticky folder of another", 01777, 1234, 0755, 0, 0, true},
        {"a folder of another", 0755, 1234, 0755, 0, 0, true},
        {"a file others write", 0755, 0, 0757, 0, 0, true},
        {"a file its group writes", 0755, 0, 0775, 0, 100, true},
        {"a file root's group writes", 0755, 0, 0775, 0, 0, false},
        {"a file of another", 0755, 0, 0755, 1234, 0, true},
    };
    int number = 0;
    for (const auto& c : cases) {
        const fs::path folder = base / std::to_string(++number);
        fs::create_directory(folder);
        const fs::path file = folder / "quillon-setup";
        std::ofstream(file.string()) << "program";
        ASSERT_EQ(::chown(folder.c_str(), c.folder_owner, 0), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folder_mode), 0);
        ASSERT_EQ(::chown(file.c_str(), c.file_owner, c.file_group), 0);
        ASSERT_EQ(::chmod(file.c_str(), c.file_mode), 0);
        const std::string reason = kernel::replaceable_by_others(file, kUser);
        EXPECT_EQ(!reason.empty(), c.refused) << c.name << ": " << reason;
    }
    fs::create_symlink(base / "1" / "quillon-setup", base / "link");
    EXPECT_FALSE(kernel::replaceable_by_others(base / "link", kUser).empty()) << "a link is not vouched for";
    EXPECT_FALSE(kernel::replaceable_by_others(base / "missing", kUser).empty());
    fs::remove_all(base);
}
