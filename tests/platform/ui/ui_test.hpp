// The Qt application of the UI tests: made by the first test that asks for it, on the offscreen
// platform unless the environment chooses another, and destroyed after the last test.
#pragma once

#include "platform/resources/dialog_template.hpp"
#include "platform/ui/window.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui_test {

void ensure_application();

// Base of the UI test fixtures; the application exists before the fixture's members.
class ui_fixture : public ::testing::Test {
protected:
    ui_fixture() { ensure_application(); }
};

// A control line of a template, visible and a child, as the template source makes it.
platform::resources::control_template control(int id, const char* window_class, std::uint32_t style, int x, int y,
                                              int cx, int cy, std::string text = {});
// A modal dialog's template (caption, system menu) and a child dialog's (hidden until shown).
platform::resources::dialog_template popup_template(std::vector<platform::resources::control_template> controls,
                                                    int cx = 200, int cy = 120);
platform::resources::dialog_template child_template(std::vector<platform::resources::control_template> controls,
                                                    int x = 0, int y = 0, int cx = 200, int cy = 120);
// The template resource `id` of the test program.
platform::resources::dialog_template resource_template(unsigned id);

// A shown top-level window to put child dialogs in.
class parent_window : public platform::ui::CWnd {
public:
    parent_window();
};

// Runs `action` from the event loop as soon as a modal loop (a dialog, a menu, a message box) has
// started, so that a test can drive it; the modal window is made active first, as a user's click
// would.
void when_modal(std::function<void()> action);

}  // namespace ui_test
