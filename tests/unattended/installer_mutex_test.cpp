// The installer mutex as an ordinary account's unattended run meets it: where it cannot be made at
// all, the run ends as a start-up failure and the log names the cause; R/run/lock made by root's
// installer lets that run get as far as the rights check.
#include "startup/startup_probe.hpp"
#include "support/installer_process.hpp"
#include "support/sandbox_machine.hpp"
#include "support/second_account.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <optional>

namespace fs = boost::filesystem;

namespace {

class InstallerMutex : public test_support::sandbox_test {
protected:
    void SetUp() override {
        std::string why;
        account = test_support::EnsureSecondAccount(why);
        ASSERT_TRUE(account) << why;
        ::chmod(machine.folder().c_str(), 0755);
    }

    // The installer run by the ordinary account, with its log in a folder that account may write.
    int RunAsTheAccount() const {
        const fs::path drop = machine.folder() / "drop";
        fs::create_directories(drop);
        fs::permissions(drop, fs::perms::all_all);
        return test_support::RunAs(*account, {"sh", "-c",
                                              "exec \"$0\" --unattended --language en --log \"$1\" "
                                              "</dev/null >/dev/null 2>&1",
                                              Program().string(), Log().string()});
    }

    static fs::path Program() { return QUILLON_BINARY_DIR "/bin/quillon-setup"; }
    fs::path Log() const { return machine.folder() / "drop" / "install.log"; }

    test_support::without_display m_noDisplay;
    std::optional<test_support::SecondAccount> account;
};

// R/run/lock of this sandbox is root's and closed to others: the mutex cannot be made.
TEST_F(InstallerMutex, ThatCannotBeMadeEndsTheRunAsAStartUpFailureAndTheLogSaysWhy) {
    EXPECT_EQ(RunAsTheAccount(), 7);
    const auto lines = startup_probe::ReadLines(Log());
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("The installer mutex could not be created: error 5: Access is denied.") != std::string::npos;
    })) << ::testing::PrintToString(lines);
}

TEST_F(InstallerMutex, AnOrdinaryAccountReachesTheRightsCheckOnceRootsInstallerMadeTheLockFolder) {
    fs::remove_all(machine.root() / "run");
    auto root = startup_probe::Start(startup_probe::Program(), "session " + (machine.temp() / "report").string());
    root.wait();
    ASSERT_EQ(root.exit_code(), 0);
    struct stat lock {};
    ASSERT_EQ(lstat((machine.root() / "run/lock").c_str(), &lock), 0);
    EXPECT_EQ(lock.st_mode & 07777, 01777u) << "as the system has it";

    EXPECT_EQ(RunAsTheAccount(), 4);
}

}  // namespace
