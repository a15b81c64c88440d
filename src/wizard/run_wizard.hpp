// The wizard as the installer runs it after start-up: the host dialog, modal, as the main window.
#pragma once

class CInstallApp;

// Runs the wizard for the application's session and returns when it has closed.
void RunWizard(CInstallApp& app);
