#include "unattended/unattended_run.hpp"

#include "engine/install_notification_handler.hpp"
#include "engine/install_progress_page.hpp"
#include "engine/installation_sequence.hpp"
#include "identity/product_identity.hpp"
#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/system/terminal.hpp"
#include "startup/console_messages.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"
#include "startup/process_guards.hpp"
#include "unattended/exit_codes.hpp"
#include "unattended/text_progress_page.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdio>
#include <iostream>

namespace diagnostics = platform::diagnostics;

namespace {

// The texts of the wizard's start, install and end pages that the run shows (French numbers).
constexpr std::uint32_t kProductInstallationText = 1100;  // "'%1' Installation."
constexpr std::uint32_t kUpdateFromToText = 1101;         // "Update from '%1' to '%2'."
constexpr std::uint32_t kAlreadyInstalledText = 1102;     // "'%1' is already installed."
constexpr std::uint32_t kNewerInstalledText = 1103;       // "A more recent Version (%1) is already installed."
constexpr std::uint32_t kInstallationCompleteText = 1120;
constexpr std::uint32_t kInstallationFolderText = 1123;  // "Installation Folder: %1."
constexpr std::uint32_t kMenuShortcutText = 1124;        // "Creating a Shortcut in the Start Menu (Folder %1)."
constexpr std::uint32_t kDesktopShortcutText = 1125;

int ExitCodeFor(StartupStop stop) {
    switch (stop) {
        case StartupStop::InstallerRunning:
            return exit_code::kInstallerRunning;
        case StartupStop::NotAdministrator:
            return exit_code::kNotAdministrator;
        case StartupStop::ProductRunning:
            return exit_code::kProductRunning;
        default:
            return exit_code::kStartupFailure;
    }
}

void Say(const std::string& line) {
    std::cerr << line << '\n' << std::flush;
}

std::string Quoted(const std::string& folder) {
    return platform::shell::quote_spaces(folder);
}

// What the install page's summary says before the Install button, as lines.
void SaySummary(const CInstallApp& app) {
    const std::string product = GetProductText(false);
    switch (app.m_nPreviousInstall) {
        case PreviousSame:
            Say(FormatText(LoadText(kAlreadyInstalledText), {product}));
            break;
        case PreviousOlder:
            Say(FormatText(LoadText(kUpdateFromToText), {app.m_strPreviousVersion, product}));
            break;
        default:
            Say(FormatText(LoadText(kProductInstallationText), {product}));
            break;
    }
    Say(FormatText(LoadText(kInstallationFolderText), {Quoted(app.m_strInstallFolder)}));
    if (app.m_bStartMenuShortcut) {
        Say(FormatText(LoadText(kMenuShortcutText), {Quoted(app.m_strStartMenuFolder)}));
    }
    if (app.m_bDesktopShortcut) {
        Say(LoadText(kDesktopShortcutText));
    }
}

// The command line's folder where the folder page would take one: an installed product's folder is
// fixed, so only that same folder is accepted for an update or a reinstallation.
bool ApplyFolder(CInstallApp& app, const std::optional<std::string>& folder) {
    if (!folder) {
        return true;
    }
    const auto normal = [](const std::string& text) { return boost::filesystem::path(text).lexically_normal(); };
    if (app.m_nPreviousInstall != PreviousNone) {
        if (normal(*folder) != normal(app.m_strInstallFolder)) {
            Say("--folder: the installed product's folder " + Quoted(app.m_strInstallFolder) +
                " stays for an update or a reinstallation");
            return false;
        }
        return true;
    }
    app.m_strInstallFolder = *folder;
    return true;
}

// After a failed run: its failure line, the system's text for its error, the rollback, and where
// the details are (also of any change the rollback could not undo).
void SayFailure(const TextProgressPage& page, const boost::filesystem::path& logFile) {
    Say(page.StatusText());
    if (page.m_failureCause) {
        // The portable meaning where there is one: the C library's words ("No space left on device").
        Say("Error Code " + ErrorCodeText(page.m_failureCause) + ": " +
            page.m_failureCause.default_error_condition().message());
    }
    Say("The installation was rolled back.");
    if (!logFile.empty()) {
        Say("The diagnostic log is " + Quoted(logFile.string()) + ".");
    }
}

}  // namespace

int RunUnattended(const UnattendedChoices& choices, const boost::filesystem::path& logFile) {
    UseConsoleMessages();
    UseExitCodeForFailedChecks(exit_code::kStartupFailure);
    InitializeProcess();

    CInstallApp app;
    if (choices.language) {
        app.RequestLanguage(*choices.language);
    }
    if (!app.StartSession()) {
        return ExitCodeFor(app.GetStartupStop());
    }
    if (app.m_nPreviousInstall == PreviousNewer) {
        Say(FormatText(LoadText(kNewerInstalledText), {app.m_strPreviousVersion}));
        diagnostics::note("Stopped: a newer version is installed");
        return exit_code::kNewerInstalled;
    }
    if (!ApplyFolder(app, choices.installFolder)) {
        return exit_code::kUsage;
    }
    app.m_bStartMenuShortcut = choices.startMenuShortcut;
    app.m_bDesktopShortcut = choices.desktopShortcut;
    diagnostics::note("Unattended installation into ", app.m_strInstallFolder,
                      app.m_bStartMenuShortcut ? ", Start menu shortcuts" : "",
                      app.m_bDesktopShortcut ? ", desktop shortcut" : "");
    SaySummary(app);

    TextProgressPage page(std::cerr, platform::system::standard_error_terminal_columns());
    app.m_bInstalled = RunInstallationSequence(app, page);
    page.Finish();
    if (!app.m_bInstalled) {
        SayFailure(page, logFile);
        return exit_code::kFailed;
    }
    Say(LoadText(kInstallationCompleteText));
    return exit_code::kInstalled;
}
