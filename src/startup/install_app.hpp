// The installer's application object and its session record: what start-up finds out about the
// machine and the previously installed product, and what the wizard and the installation engine read
// and change later (folders, shortcut choices, mode, the uninstall log). One per process.
#pragma once

#include "platform/ui/application.hpp"
#include "startup/instance_mutex.hpp"
#include "startup/previous_installation.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <cstdint>
#include <optional>
#include <string>

struct InstanceCounter;
class CInstallApp;

// What follows a complete start-up: runs the wizard for the session and returns when it has closed.
// Start-up sits below the wizard, so the program hands the wizard in (see main.cpp).
using WizardRunner = void (*)(CInstallApp& app);

// Which start-up check stopped the session, for a caller that has to tell them apart (the exit code
// of an unattended run). InstallerMutexUnavailable: the installer mutex could not be created at all,
// so no other installer is known to run; the user sees the same message as for InstallerRunning.
enum class StartupStop {
    None,
    ProcessorCheck,
    InstallerRunning,
    NotAdministrator,
    ProductRunning,
    InstallerMutexUnavailable
};

// The longest folder the session takes (the install folder, the Start-menu folder), in characters as
// the folder pages count them: UTF-16 units.
inline constexpr int kMaxFolderChars = 260;

class CInstallApp : public platform::ui::CWinApp {
public:
    // Creates the installer mutex (not owned yet). The running-instance counter is the process's
    // own unless one is given (tests count in their own machine).
    explicit CInstallApp(InstanceCounter* runningInstances = nullptr);
    ~CInstallApp() override;

    // The wizard InitInstance runs after a complete start-up; without one, start-up ends there.
    void SetWizard(WizardRunner runWizard) { m_pfnRunWizard = runWizard; }

    // Start-up, then the wizard; always false, so the program ends when the wizard closes or when a
    // start-up check stops it.
    bool InitInstance() override;

    // Start-up up to the wizard: the single-installer, rights and running-product checks, the
    // language, the title, the previous installation and the defaults. False when a check stopped
    // start-up (its message has been shown).
    bool StartSession();

    // The check that stopped the last StartSession; None after a complete start-up.
    StartupStop GetStartupStop() const { return m_startupStop; }

    // A language asked for explicitly (the command line): start-up takes it in place of the user's
    // default language and of the language the previous installation recorded.
    void RequestLanguage(std::uint32_t index) { m_requestedLanguage = index; }

    // The previous-installation status; for PreviousNewer and PreviousOlder also its version text.
    PreviousInstallStatus GetPreviousInstall(std::string* previousVersion = nullptr) const;

    // The wizard's language change: the language becomes current, or English with a notice when the
    // installer is not translated into it while the product still gets the chosen language; the
    // title follows, and the main window reloads its texts.
    void SetLanguage(std::uint32_t index);

    // The installed main program, looked up once per process; empty when there is none.
    const std::string& FindInstalledProduct();

    // The session record.
    PreviousInstallStatus m_nPreviousInstall = PreviousNone;
    std::string m_strPreviousVersion;
    InstanceMutex m_instanceMutex;
    std::string m_strInstallFolder;
    std::string m_strStartMenuFolder;
    std::string m_strTempFolder;  // set and used by the installation
    bool m_bStartMenuShortcut = true;
    bool m_bDesktopShortcut = true;
    bool m_bAdvancedMode = false;
    UninstallLog m_uninstallLog;
    bool m_bInstalled = false;
    std::uint64_t m_nPreviousVersion = 0;
    // The language the product is installed in (recorded as VnLanguage). It differs from the
    // interface language when the installer, not translated into the chosen language, runs in English.
    std::uint32_t m_nProductLanguage = 0;

private:
    void ChooseStartLanguage();
    void UpdateTitle();
    bool WaitForProductToClose();
    void ReadPreviousInstallation();
    void SetDefaultFolders();
    bool StopStartup(StartupStop reason);
    void NoteFindings() const;

    InstanceCounter* m_pRunningInstances;
    WizardRunner m_pfnRunWizard = nullptr;
    StartupStop m_startupStop = StartupStop::None;
    std::optional<std::uint32_t> m_requestedLanguage;
    std::optional<std::string> m_strInstalledProduct;  // FindInstalledProduct's cache
};

// The application object, or null outside the installer program.
CInstallApp* GetInstallApp();
