// The arguments between the installer and its copy raised through pkexec, and what the copy takes
// from them: only as root under pkexec, and only when it is the file the user started.
#include "platform/kernel/program_file.hpp"
#include "platform/system/invoking_user.hpp"
#include "startup/elevation_arguments.hpp"
#include "startup/elevation_request.hpp"
#include "support/scoped_env.hpp"

#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using test_support::scoped_env;
namespace kernel = platform::kernel;

namespace {

using Arguments = std::vector<std::string>;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "(unset)";
}

// What a marked copy ends up with: 0 when it took everything, 1 when it refused, else a check's code.
int AcceptInChild(const Arguments& arguments, const char* expectedDisplay, const char* expectedHome,
                  bool asUser = false) {
    if (asUser && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        return 9;
    }
    Arguments rest = arguments;
    ElevationArguments taken;
    std::string error;
    if (!TakeElevationArguments(rest, taken, error)) {
        return 2;
    }
    if (!AcceptElevation(taken, error)) {
        return 1;
    }
    if (Variable("DISPLAY") != expectedDisplay) {
        return 3;
    }
    return Variable("HOME") == expectedHome ? 0 : 4;
}

}  // namespace

TEST(ElevationArguments, OnlyTheDisplayLanguageRootAndUserFoldersPassOn) {
    const Arguments environment = {"DISPLAY=:5",
                                   "XAUTHORITY=/home/ann/.Xauthority",
                                   "LANG=fr_FR.UTF-8",
                                   "LC_ALL=de_DE.UTF-8",
                                   "LC_lower=x",
                                   "LD_PRELOAD=/tmp/evil.so",
                                   "PATH=/home/ann/bin",
                                   "HOME=/home/ann",
                                   "SETUP_SYSTEM_ROOT=/sandbox",
                                   "SSH_AUTH_SOCK=/run/agent",
                                   "XDG_RUNTIME_DIR=/run/user/1000"};
    Arguments arguments = ElevationArgumentsFor({7, 42}, "/home/ann/Downloads", environment);
    arguments.push_back("--log");
    arguments.push_back("setup.log");

    ElevationArguments taken;
    std::string error;
    ASSERT_TRUE(TakeElevationArguments(arguments, taken, error)) << error;
    EXPECT_EQ(arguments, (Arguments{"--log", "setup.log"}));
    EXPECT_TRUE(taken.marked);
    EXPECT_EQ(taken.program, (kernel::file_identity{7, 42}));
    EXPECT_EQ(taken.folder, "/home/ann/Downloads");
    const std::vector<std::pair<std::string, std::string>> passed = {{"DISPLAY", ":5"},
                                                                     {"XAUTHORITY", "/home/ann/.Xauthority"},
                                                                     {"LANG", "fr_FR.UTF-8"},
                                                                     {"LC_ALL", "de_DE.UTF-8"},
                                                                     {"HOME", "/home/ann"},
                                                                     {"SETUP_SYSTEM_ROOT", "/sandbox"},
                                                                     {"XDG_RUNTIME_DIR", "/run/user/1000"}};
    EXPECT_EQ(taken.environment, passed);
}

TEST(ElevationArguments, MalformedOnesAreRefused) {
    for (const char* argument : {"--program-identity=7", "--program-identity=7:x", "--from-folder=relative",
                                 "--pass-env=PATH=/tmp", "--pass-env=DISPLAY", "--elevatedx"}) {
        Arguments arguments{argument};
        ElevationArguments taken;
        std::string error;
        EXPECT_FALSE(TakeElevationArguments(arguments, taken, error)) << argument;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(arguments, Arguments{argument}) << "the user's arguments stay as they were";
    }
}

TEST(ElevationArguments, TheCopyTakesThemOnlyAsRootUnderPkexecAndAsTheSameFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "the copy is root";
    }
    const auto self = kernel::running_program_identity();
    ASSERT_TRUE(self);
    const auto nobody = platform::system::look_up_account(65534);
    ASSERT_TRUE(nobody);
    const std::string identity = std::to_string(self->device) + ":" + std::to_string(self->inode);
    const std::string other = std::to_string(self->device) + ":" + std::to_string(self->inode + 1);
    const Arguments marked = {"--elevated", "--program-identity=" + identity, "--from-folder=/",
                              "--pass-env=DISPLAY=:7"};
    const Arguments swapped = {"--elevated", "--program-identity=" + other, "--pass-env=DISPLAY=:7"};
    const Arguments unidentified = {"--elevated", "--pass-env=DISPLAY=:7"};
    const std::string rootHome = platform::system::look_up_account(0)->home.string();

    scoped_env display("DISPLAY", ":1");
    scoped_env home("HOME", rootHome.c_str());
    scoped_env sudo("SUDO_UID", nullptr);
    {
        scoped_env pkexec("PKEXEC_UID", "65534");
        EXPECT_EXIT(_exit(AcceptInChild(marked, ":7", nobody->home.c_str())), testing::ExitedWithCode(0), "");
        EXPECT_EXIT(_exit(AcceptInChild(swapped, ":1", rootHome.c_str())), testing::ExitedWithCode(1), "");
        EXPECT_EXIT(_exit(AcceptInChild(unidentified, ":1", rootHome.c_str())), testing::ExitedWithCode(1), "");
        // A marked copy that is still not root takes nothing and goes on, to say that rights are missing.
        EXPECT_EXIT(_exit(AcceptInChild(marked, ":1", rootHome.c_str(), true)), testing::ExitedWithCode(0), "");
    }
    // Not under pkexec: the variables are not taken, yet a sudo user is still the one worked for.
    EXPECT_EXIT(_exit(AcceptInChild(marked, ":1", rootHome.c_str())), testing::ExitedWithCode(0), "");
    scoped_env sudoUser("SUDO_UID", "65534");
    EXPECT_EXIT(_exit(AcceptInChild(marked, ":1", nobody->home.c_str())), testing::ExitedWithCode(0), "");
}
