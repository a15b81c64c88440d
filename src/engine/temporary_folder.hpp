// The run's temporary folder: "vintrel_{<random UUID>}" in the system's temporary folder. It is
// created here, exclusively and private to the installer, so that nothing another account prepared
// under that name (a folder, a symbolic link) is ever written into; the extraction then puts the
// temporary payload files there. A mark inside names the run's process, so that a later run removes
// the folder of a run that was killed before it could.
#pragma once

#include <string>

class CInstallApp;

// Removes the working folders of ended runs, then sets the session's m_strTempFolder and creates the
// folder. False with the text that the failure
// message shows: "%08x (GetTempPath)" when the system's temporary folder is unavailable or its path
// is longer than 246 characters, "%08x (CreateDirectory)" when no folder could be created.
bool MakeTemporaryFolderPath(CInstallApp& app, std::string& errorText);
