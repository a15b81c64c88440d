#include "startup/wizard_launch.hpp"

#include "platform/ui/framework_constants.hpp"
#include "startup/install_app.hpp"
#include "startup/startup_ui.hpp"

// The wizard host is not part of this build yet. Say so plainly instead of pretending to install.
void RunWizard(CInstallApp& /*app*/) {
    ShowAppMessage(
        "Start-up is complete, but this build does not include the installation wizard yet. "
        "Nothing has been installed.",
        platform::ui::MB_ICONINFORMATION | platform::ui::MB_OK);
}
