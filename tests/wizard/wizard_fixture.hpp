// What the wizard tests share: a sandbox machine with a started session of the installer's
// application object in English, scripted message boxes, and a host whose Install button runs a
// scripted installation. The Qt application comes from the dialog framework's test helper.
#pragma once

#include "platform/ui/combo_box.hpp"
#include "platform/ui/message_box.hpp"
#include "startup/install_app.hpp"
#include "startup/instance_counter.hpp"
#include "support/sandbox_machine.hpp"
#include "support/scoped_env.hpp"
#include "wizard/install_dlg.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wizard_test {

// The lines of a multi-line edit text, split at CR LF; a last line without a line end counts too.
std::vector<std::string> Lines(const std::string& text);

// A page's or control's enabled state, as the user sees it.
bool enabled(const platform::ui::CWnd* window);
// Presses a button as a click does (a disabled button ignores it).
void click(const platform::ui::CWnd* button);
// Chooses an item of a drop-down list as the user does (the dialog hears CBN_SELCHANGE).
void choose_item(platform::ui::CComboBox& list, int index);

// A window's rectangle in the client coordinates of `in`.
platform::ui::CRect rect_in(const platform::ui::CWnd& in, const platform::ui::CWnd& window);
// A template rectangle (x, y, cx, cy in dialog units) in pixels of `units`'s font, as the framework
// places controls.
platform::ui::CRect pixels(const platform::ui::CDialog& units, int x, int y, int cx, int cy);
// A page template's size and one of its controls' rectangles, in pixels.
platform::ui::CRect page_pixels(const platform::ui::CDialog& units, unsigned templateId);
platform::ui::CRect control_pixels(const platform::ui::CDialog& units, unsigned templateId, int controlId);

// A host whose Install button runs a scripted installation: each press takes the next result
// (false once none is left), notes what the buttons looked like during the run and puts a line on
// the log, as a run would.
class CTestHost : public CInstallDlg {
public:
    std::vector<bool> m_results;
    int m_nRuns = 0;
    // Back, Next and Exit enabled during the last run.
    bool m_bButtonsEnabledDuringRun[3] = {true, true, true};

    CDlgInstall& InstallPage() { return m_dlgInstall; }

protected:
    bool RunInstallation() override;
};

class WizardTest : public test_support::sandbox_test {
protected:
    WizardTest();
    ~WizardTest() override;

    // Runs the host modally as the main window: `body` runs once the host is up; if it leaves the
    // host open, the host is ended with kStillOpen. Returns the modal result.
    static constexpr int kStillOpen = 99;
    int RunHost(CInstallDlg& host, const std::function<void()>& body);

    test_support::scoped_env language{"LC_ALL", "en_US.UTF-8"};
    InstanceCounter counter;
    std::optional<CInstallApp> app;
    platform::ui::message_box_script boxes;

private:
    std::uint32_t m_savedLanguage;
};

}  // namespace wizard_test
