// quillon-setup: the installer's entry point.
#include "platform/ui/application.hpp"
#include "startup/install_app.hpp"
#include "startup/process_guards.hpp"
#include "wizard/run_wizard.hpp"

int main(int argc, char** argv) {
    // The guards come first: they may end the process before any window or named object exists.
    InitializeProcess();
    platform::ui::application_instance qt(argc, argv);
    CInstallApp app;
    app.SetWizard(RunWizard);
    return platform::ui::AfxWinMain(argc, argv);
}
