// The session record the wizard reads and writes: the installer's application object, which lives
// for the whole process while the wizard runs.
#pragma once

class CInstallApp;

// Throws std::logic_error when the process has no installer application object (a program error:
// the wizard runs only inside the installer).
CInstallApp& Session();
