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

// No display named, an X display nobody serves, a Wayland display without its compositor: each ends
// in one line and an exit code, never in the window system's abort.
TEST_F(NoDisplay, TheInstallerSaysItNeedsAGraphicalSessionAndWritesNothing) {
    const test_support::scoped_env platform("QT_QPA_PLATFORM", nullptr);
    const test_support::scoped_env session("XDG_SESSION_TYPE", nullptr);
    const struct {
        const char* display;
        const char* wayland;
        const char* reason;
    } cases[] = {
        {nullptr, nullptr, "neither DISPLAY nor WAYLAND_DISPLAY is set"},
        {":97", nullptr, "the X display \":97\" cannot be reached"},
        {nullptr, "quillon-nowhere", "the Wayland display \"quillon-nowhere\" cannot be reached"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const test_support::scoped_env display("DISPLAY", c.display);
        const test_support::scoped_env wayland("WAYLAND_DISPLAY", c.wayland);
        const boost::filesystem::path errors = machine.home().parent_path() / "errors.txt";
        const auto before = machine.snapshot();

        const std::string command = std::string(QUILLON_BINARY_DIR "/bin/quillon-setup 2>") + errors.string();
        const int status = std::system(command.c_str());

        ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
        EXPECT_EQ(WEXITSTATUS(status), 1);
        std::ifstream in(errors.string());
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_NE(text.find("needs a graphical session, and " + std::string(c.reason) + "\n"), std::string::npos)
            << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        boost::filesystem::remove(errors);
        EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));
    }
}

}  // namespace
