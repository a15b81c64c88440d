// Started where no graphical session is, the installer says so in one line and ends before it
// writes anything, instead of failing inside the window system.
#include "support/machine_snapshot.hpp"
#include "support/sandbox_machine.hpp"
#include "support/scoped_env.hpp"

#include <sys/wait.h>

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class NoDisplay : public test_support::sandbox_test {};

TEST_F(NoDisplay, TheInstallerSaysItNeedsAGraphicalSessionAndWritesNothing) {
    const test_support::scoped_env display("DISPLAY", nullptr);
    const test_support::scoped_env wayland("WAYLAND_DISPLAY", nullptr);
    const test_support::scoped_env platform("QT_QPA_PLATFORM", nullptr);
    const boost::filesystem::path errors = machine.home().parent_path() / "errors.txt";
    const auto before = machine.snapshot();

    const std::string command = std::string(QUILLON_BINARY_DIR "/bin/quillon-setup 2>") + errors.string();
    const int status = std::system(command.c_str());

    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_NE(WEXITSTATUS(status), 0);
    std::ifstream in(errors.string());
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("graphical session"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    boost::filesystem::remove(errors);
    EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));
}

}  // namespace
