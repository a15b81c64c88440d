// What follows a complete start-up: the wizard.
#pragma once

class CInstallApp;

// Runs the wizard modally for the application's session and returns when it has closed.
void RunWizard(CInstallApp& app);
