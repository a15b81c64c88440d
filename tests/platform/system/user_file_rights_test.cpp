// The switch of a thread's file rights to the user the installer works for. Each part runs in a
// child process, as choosing that user is once per process; each check reports its own exit code.
#include "platform/system/user_file_rights.hpp"
#include "platform/system/invoking_user.hpp"
#include "support/scoped_env.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace sys = platform::system;
namespace fs = boost::filesystem;

namespace {

constexpr std::uint32_t kNobody = 65534;

// The owner of a file made at `path` now; -1 when it cannot be made.
long CreatedBy(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    ::fstat(fd, &status);
    ::close(fd);
    return static_cast<long>(status.st_uid);
}

int SwitchedWrites(const fs::path& scratch) {
    const auto nobody = sys::look_up_account(kNobody);
    if (!nobody) {
        return 10;
    }
    const fs::path userFolder = scratch / "user";
    fs::create_directory(userFolder);
    ::chown(userFolder.c_str(), kNobody, kNobody);
    {
        const sys::user_file_rights notWanted(true);  // no acting user yet
        if (notWanted.switched() || CreatedBy(scratch / "before") != 0) {
            return 11;
        }
    }
    sys::act_for_user(*nobody);
    // A thread that was running before the switch, and writes while it lasts.
    std::mutex step;
    std::condition_variable turn;
    int stage = 0;
    long otherThread = -2;
    std::thread other([&] {
        std::unique_lock lock(step);
        turn.wait(lock, [&] { return stage == 1; });
        otherThread = CreatedBy(scratch / "from-another-thread");
        stage = 2;
        turn.notify_all();
    });
    {
        const sys::user_file_rights rights(true);
        if (!rights.switched() || sys::file_system_uid() != kNobody) {
            return 12;
        }
        if (CreatedBy(userFolder / "sample") != kNobody) {
            return 13;
        }
        if (CreatedBy(scratch / "root-only") != -1) {
            return 14;  // the scratch folder is root's: the user may not write there
        }
        {
            std::unique_lock lock(step);
            stage = 1;
            turn.notify_all();
            turn.wait(lock, [&] { return stage == 2; });
        }
        other.join();
        if (otherThread != 0) {
            return 15;
        }
    }
    if (sys::file_system_uid() != 0 || CreatedBy(scratch / "after") != 0) {
        return 16;
    }
    const sys::user_file_rights notAsked(false);
    return notAsked.switched() ? 17 : 0;
}

int HomeRule(const char* home, const fs::path& expected) {
    test_support::scoped_env variable("HOME", home);
    const auto nobody = sys::look_up_account(kNobody);
    if (!nobody) {
        return 10;
    }
    sys::act_for_user(*nobody);
    return fs::path(std::getenv("HOME")) == expected && sys::acting_user()->uid == kNobody ? 0 : 1;
}

}  // namespace

TEST(UserFileRights, WritesOfTheSwitchedThreadAreTheUsersAndOnlyThere) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "switching the file rights needs root";
    }
    // Under /tmp itself, so that the user can reach the folder made for them.
    char pattern[] = "/tmp/vn-rights-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path scratch = pattern;
    ::chmod(pattern, 0755);
    EXPECT_EXIT(_exit(SwitchedWrites(scratch)), testing::ExitedWithCode(0), "");
    fs::remove_all(scratch);
}

TEST(UserFileRights, HomeBecomesTheUsersOnlyWhereRootsHomeWasLeft) {
    const auto nobody = sys::look_up_account(kNobody);
    const auto root = sys::look_up_account(0);
    ASSERT_TRUE(nobody && root);
    EXPECT_EXIT(_exit(HomeRule(root->home.c_str(), nobody->home)), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(_exit(HomeRule(nullptr, nobody->home)), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(_exit(HomeRule("/sandbox/home", "/sandbox/home")), testing::ExitedWithCode(0), "");
}

TEST(InvokingUser, ComesFromPkexecThenSudoAndNeverNamesRoot) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only a root process works for another user";
    }
    const struct {
        const char* pkexec;
        const char* sudo;
        std::optional<std::uint32_t> expected;
    } cases[] = {
        {"65534", nullptr, kNobody},           {nullptr, "65534", kNobody}, {"65534", "0", kNobody},
        {"0", "65534", std::nullopt},           // root itself: the process works for itself
        {"65534x", "65534", std::nullopt},      // pkexec's variable, but no number: no guessing from sudo's
        {"4000000000", nullptr, std::nullopt},  // no such account
        {nullptr, nullptr, std::nullopt},
    };
    for (const auto& c : cases) {
        test_support::scoped_env pkexec("PKEXEC_UID", c.pkexec);
        test_support::scoped_env sudo("SUDO_UID", c.sudo);
        const auto user = sys::find_invoking_user();
        EXPECT_EQ(user ? std::optional(user->uid) : std::nullopt, c.expected)
            << (c.pkexec ? c.pkexec : "-") << " " << (c.sudo ? c.sudo : "-");
    }
}
