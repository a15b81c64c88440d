// The product's entry in the system's list of installed programs (its Uninstall key, recorded so that
// a rollback deletes or restores it) and the installed-program value under the publisher's own key,
// by which a later installer finds the product.
#pragma once

#include <string>

class CInstallApp;
class UninstallLog;
class InstallProgressPage;

// The publisher's support contacts shown with the installed program.
inline constexpr const char* kPublisherWebAddress = "https://www.vintrel.example/quillon";
inline constexpr const char* kPublisherTelephone = "+1 555 0100 720 (Mon-Fri, 9:00-17:00)";

// Writes HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon 7 with its
// twelve values, recording the key first (an existing key is saved for a rollback). True when
// "DisplayName" and "UninstallString" were written; the other values are written regardless.
bool WriteUninstallKey(CInstallApp& app, const InstallProgressPage& page);

// HKEY_LOCAL_MACHINE\Software\Vintrel, value "Quillon 7 Path" := the main program's path. Kept out
// of the written log (the uninstaller removes it itself), but recorded for a rollback, which puts the
// publisher's key back as it was. True when written; when the value is refused, a publisher key made
// for it is taken away again.
bool WriteInstalledProgramValue(UninstallLog& log, const std::string& mainProgramPath);
