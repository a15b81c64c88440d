// The installation run behind the install page's Install button: temporary folder, extraction with
// rollback, read-only marks, shortcuts, runtime setup, Uninstall key and installed-program value,
// registration run, uninstall log, clean-up. Runs on the user-interface thread.
#pragma once

class CInstallApp;
class InstallProgressPage;

// True when the product is installed; false when the run failed (and was rolled back when it had
// changed anything). Reports every step on the page.
bool RunInstallationSequence(CInstallApp& app, InstallProgressPage& page);
