#include "engine/temporary_folder.hpp"
#include "engine_fixture.hpp"
#include "platform/kernel/folder_creator.hpp"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

namespace fs = boost::filesystem;

namespace {

class TemporaryFolder : public EngineTest {
protected:
    // A working folder as a run makes it, with a file in it, by a process that has ended.
    static void LeaveFolderOfEndedRun(const fs::path& folder) {
        const pid_t child = ::fork();
        if (child == 0) {
            const bool made = ::mkdir(folder.c_str(), 0700) == 0 && !platform::kernel::mark_folder_creator(folder);
            WriteFile(folder / "DSETUP.dll", "left behind");
            ::_exit(made ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(status, 0);
    }
    static fs::path Named(const std::string& uuid) { return fs::path("vintrel_{" + uuid + "}"); }
};

TEST_F(TemporaryFolder, ANewRunRemovesOnlyTheFoldersOfEndedRuns) {
    const fs::path temp = machine.temp();
    const fs::path ended = temp / Named("11111111-1111-1111-1111-111111111111");
    LeaveFolderOfEndedRun(ended);

    // What must stay: a folder whose creator still runs, one without a mark, one another program
    // could use, one of another name, and a link that looks like a left folder.
    const fs::path running = temp / Named("22222222-2222-2222-2222-222222222222");
    fs::create_directory(running);
    fs::permissions(running, fs::owner_all);
    ASSERT_FALSE(platform::kernel::mark_folder_creator(running));
    const fs::path unmarked = temp / Named("33333333-3333-3333-3333-333333333333");
    fs::create_directory(unmarked);
    fs::permissions(unmarked, fs::owner_all);
    const fs::path shared = temp / Named("44444444-4444-4444-4444-444444444444");
    LeaveFolderOfEndedRun(shared);
    fs::permissions(shared, fs::owner_all | fs::group_read | fs::group_exe);
    const fs::path otherName = temp / "vintrel_{old}";
    LeaveFolderOfEndedRun(otherName);
    const fs::path target = machine.home() / "target";
    LeaveFolderOfEndedRun(target);
    const fs::path link = temp / Named("55555555-5555-5555-5555-555555555555");
    fs::create_directory_symlink(target, link);

    std::string errorText;
    ASSERT_TRUE(MakeTemporaryFolderPath(*app, errorText)) << errorText;

    EXPECT_FALSE(fs::exists(ended));
    for (const fs::path& kept : {running, unmarked, shared, otherName, target / "DSETUP.dll"}) {
        EXPECT_TRUE(fs::exists(kept)) << kept;
    }
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::exists(fs::path(app->m_strTempFolder) / platform::kernel::folder_creator_marker));
}

}  // namespace
