#include "wizard/run_wizard.hpp"

#include "startup/install_app.hpp"
#include "wizard/install_dlg.hpp"

void RunWizard(CInstallApp& app) {
    CInstallDlg host;
    // The main window owns the message boxes and hears of language changes; it is no longer the
    // main window once it has gone, whichever way it goes.
    struct main_window {
        CInstallApp& app;
        ~main_window() { app.m_pMainWnd = nullptr; }
    } mainWindow{app};
    app.m_pMainWnd = &host;
    host.DoModal();
}
