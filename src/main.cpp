// quillon-setup: the installer's entry point.
#include "platform/ui/application.hpp"
#include "startup/install_app.hpp"
#include "startup/process_guards.hpp"
#include "wizard/run_wizard.hpp"

#include <cstdio>

int main(int argc, char** argv) {
    // Without a window system the framework would abort; say why before anything is written.
    if (!platform::ui::graphical_session_available()) {
        std::fprintf(stderr, "%s: needs a graphical session, and neither DISPLAY nor WAYLAND_DISPLAY is set\n",
                     argc > 0 ? argv[0] : "quillon-setup");
        return 1;
    }
    // The guards come first: they may end the process before any window or named object exists.
    InitializeProcess();
    platform::ui::application_instance qt(argc, argv);
    CInstallApp app;
    app.SetWizard(RunWizard);
    return platform::ui::AfxWinMain(argc, argv);
}
