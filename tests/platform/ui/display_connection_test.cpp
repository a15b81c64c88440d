#include "platform/ui/display_connection.hpp"

#include "platform/scratch_folder.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

#include <string>

using test_support::scoped_env;

// Each case names a window system as a session would; the answer is whether Qt could connect.
TEST(DisplayConnection, TheWindowSystemIsTriedInTheOrderQtTriesIt) {
    test_support::scratch_folder runtime;  // a runtime folder where no compositor listens
    const scoped_env runtimeDir("XDG_RUNTIME_DIR", runtime.path().c_str());
    const scoped_env session("XDG_SESSION_TYPE", nullptr);
    const struct {
        const char* platform;
        const char* display;
        const char* wayland;
        const char* problem;  // a part of the answer; empty: windows can be shown
    } cases[] = {
        {nullptr, nullptr, nullptr, "neither DISPLAY nor WAYLAND_DISPLAY is set"},
        {"offscreen", nullptr, nullptr, ""},
        {nullptr, ":97", nullptr, "the X display \":97\" cannot be reached"},
        {"xcb", ":97", nullptr, "the X display \":97\" cannot be reached"},
        {nullptr, nullptr, "quillon-nowhere", "the Wayland display \"quillon-nowhere\" cannot be reached"},
        {nullptr, ":97", "quillon-nowhere", "\"quillon-nowhere\" cannot be reached; the X display \":97\""},
        {"wayland;offscreen", nullptr, "quillon-nowhere", ""},
        {"xcb", nullptr, nullptr, "DISPLAY is not set"},
    };
    for (const auto& c : cases) {
        const scoped_env platform("QT_QPA_PLATFORM", c.platform);
        const scoped_env display("DISPLAY", c.display);
        const scoped_env wayland("WAYLAND_DISPLAY", c.wayland);
        const std::string problem = platform::ui::display_problem();
        const std::string trace = std::string(c.platform ? c.platform : "-") + " " + (c.display ? c.display : "-") +
                                  " " + (c.wayland ? c.wayland : "-") + ": " + problem;
        if (*c.problem == '\0') {
            EXPECT_EQ(problem, "") << trace;
        } else {
            EXPECT_NE(problem.find(c.problem), std::string::npos) << trace;
        }
        EXPECT_EQ(platform::ui::display_named(), c.platform || c.display || c.wayland) << trace;
    }
}
