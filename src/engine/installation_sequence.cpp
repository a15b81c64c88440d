#include "engine/installation_sequence.hpp"

#include "engine/directx_runtime.hpp"
#include "engine/engine_texts.hpp"
#include "engine/install_notification_handler.hpp"
#include "engine/install_progress_page.hpp"
#include "engine/installation_record_step.hpp"
#include "engine/installation_run.hpp"
#include "engine/registration_run.hpp"
#include "engine/shortcuts.hpp"
#include "engine/step_report.hpp"
#include "engine/temporary_files.hpp"
#include "engine/temporary_folder.hpp"
#include "engine/uninstall_key.hpp"
#include "identity/product_identity.hpp"
#include "payload/extraction.hpp"
#include "payload/find_payload.hpp"
#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/file_modes.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/ui/wait_cursor.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"

#include <boost/filesystem/operations.hpp>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;
namespace diagnostics = platform::diagnostics;

namespace {

constexpr const char* kUninstallLogName = "Uninstall.ulog";

const char* Outcome(bool ok) {
    return ok ? "OK" : "FAILED";
}

void ShowFailure(InstallProgressPage& page, const std::string& code, bool onLog) {
    const std::string message = InstallationFailedText(code);
    page.SetStatusText(message);
    if (onLog) {
        page.AppendLogLine(message + "\r\n", false);
    }
}

// The installed program and the uninstaller are programs: they may be run by whoever may read them
// (the payload's files are written as data), and are not to be changed by accident.
void MarkProgramFile(const std::string& path) {
    boost::system::error_code error;
    if (fs::symlink_status(path, error).type() == fs::regular_file) {
        const fs::perms mode = fs::status(path, error).permissions();
        fs::perms execute = fs::no_perms;
        execute |= (mode & fs::owner_read) != fs::no_perms ? fs::owner_exe : fs::no_perms;
        execute |= (mode & fs::group_read) != fs::no_perms ? fs::group_exe : fs::no_perms;
        execute |= (mode & fs::others_read) != fs::no_perms ? fs::others_exe : fs::no_perms;
        fs::permissions(path, execute | fs::add_perms, error);
    }
    const std::uint32_t attributes = kernel::file_attributes(path);
    if (attributes != kernel::invalid_file_attributes) {
        (void)kernel::set_file_attributes(path, attributes | kernel::file_attribute_readonly);
    }
}

bool WriteUninstallLogFile(CInstallApp& app, const InstallProgressPage& page, const InstallationRecordStart& record) {
    std::string file = page.m_strUninstallerPath;
    if (!platform::shell::remove_file_spec(file) || file.empty() ||
        !platform::shell::path_append(file, kUninstallLogName)) {
        return false;
    }
    // A rollback of the last step gives the previous installation's log back.
    app.m_uninstallLog.RecordFileState(file);
    return app.m_uninstallLog.Save(file, app.m_strInstallFolder, app.m_strStartMenuFolder) &&
           WriteInstallationRecordFile(app, file, record);
}

// Everything that happens once the temporary folder exists. True when installed; false after a
// failure that has been reported and undone.
bool InstallSteps(CInstallApp& app, InstallProgressPage& page, std::istream& payloadSource) {
    const std::string samplesFolder = FormatText(LoadText(engine_text::kSamplesFolder), {GetProductText(true)});

    page.SetProgress(0);
    page.ShowProgress();
    const InstallationRecordStart record = BeginInstallationRecord(app);

    InstallNotificationHandler handler(app, page, payloadSource);
    payload::extract_settings settings;
    settings.install_folder = app.m_strInstallFolder;
    settings.sample_folder = samplesFolder;
    settings.temp_folder = app.m_strTempFolder;
    settings.on_notify = [&handler](const payload::notification& notification) { return handler(notification); };
    settings.required_kinds = {payload::entry_kind::main_program, payload::entry_kind::uninstaller};
    diagnostics::note("Step: extraction into ", app.m_strInstallFolder);
    if (!payload::extract_payload(payloadSource, settings)) {
        diagnostics::note("Step: extraction FAILED; rolling back");
        app.m_uninstallLog.Rollback();
        return false;
    }
    diagnostics::note("Step: extraction OK: main program ", page.m_strMainProgramPath, ", uninstaller ",
                      page.m_strUninstallerPath);

    MarkProgramFile(page.m_strMainProgramPath);
    MarkProgramFile(page.m_strUninstallerPath);

    diagnostics::note("Step: shortcuts (Start menu ", app.m_bStartMenuShortcut ? "yes" : "no", ", desktop ",
                      app.m_bDesktopShortcut ? "yes" : "no", ")");
    CreateShortcuts(app, page);
    const DirectXStepOutcome directX = SetUpDirectXRuntime(app, page);
    diagnostics::note("Step: DirectX runtime ", DirectXStepOutcomeText(directX));

    BeginStep(page, LoadText(engine_text::kRegistryWriting));
    const bool registryWritten = WriteUninstallKey(app, page);
    diagnostics::note("Step: Uninstall key ", Outcome(registryWritten));
    if (!WriteInstalledProgramValue(app.m_uninstallLog, page.m_strMainProgramPath)) {
        diagnostics::note("Step: installed-program value FAILED; rolling back");
        // Without it no later installer finds this one: the installation did not happen.
        app.m_uninstallLog.Rollback();
        AppendOutcome(page, false);
        ShowFailure(page, "-1", false);
        return false;
    }
    const RegistrationOutcome registration = RunRegistration(app, page.m_strMainProgramPath);
    diagnostics::note("Step: registration run ", Outcome(registration.Succeeded()),
                      registration.started ? " (exit code " : " (not started",
                      registration.started ? std::to_string(registration.exitCode) : std::string(), ")");
    AppendOutcome(page, registryWritten && registration.Succeeded());

    BeginStep(page, LoadText(engine_text::kInstallationDataWriting));
    const bool logWritten = WriteUninstallLogFile(app, page, record);
    diagnostics::note("Step: uninstall log ", Outcome(logWritten));
    AppendOutcome(page, logWritten);

    page.SetStatusText(FormatText(LoadText(engine_text::kClickToContinue), {LoadText(engine_text::kNext)}));
    app.m_uninstallLog.Commit();
    return true;
}

// What the exception being handled says, for the diagnostic log.
std::string CurrentFailureText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "an exception of an unknown type";
    }
}

// The system's error behind the exception being handled, when it carries one.
std::error_code CurrentFailureCause() {
    try {
        throw;
    } catch (const std::system_error& error) {
        return error.code();
    } catch (...) {
        return {};
    }
}

// One guard around the whole run: whatever step throws, every recorded change is undone and the run
// is reported as failed, so no path leaves a half-installed machine.
bool InstallIntoTemporaryFolder(CInstallApp& app, InstallProgressPage& page, std::istream& payloadSource) {
    const TemporaryFiles temporaryFiles(app.m_strTempFolder);
    try {
        return InstallSteps(app, page, payloadSource);
    } catch (...) {
        diagnostics::note("Installation FAILED: ", CurrentFailureText(), "; rolling back");
        page.m_failureCause = CurrentFailureCause();
        app.m_uninstallLog.Rollback();
        try {
            ShowFailure(page, "-1", true);
        } catch (...) {
            // The page itself failed: the run is undone all the same, and the caller sees the failure.
        }
        return false;
    }
}

}  // namespace

bool RunInstallationFrom(CInstallApp& app, InstallProgressPage& page, std::istream& payloadSource) {
    // Everything installed is for every user of the machine.
    kernel::use_shared_file_modes();
    page.m_strMainProgramPath.clear();
    page.m_strUninstallerPath.clear();
    page.m_failureCause.clear();
    page.AppendLogLine(std::string(), true);
    const platform::ui::CWaitCursor waitCursor;

    page.SetStatusText(LoadText(engine_text::kPreparing));
    std::string errorText;
    if (!MakeTemporaryFolderPath(app, errorText)) {
        diagnostics::note("Step: temporary folder FAILED: ", errorText);
        ShowFailure(page, errorText, true);
        return false;
    }
    diagnostics::note("Step: temporary folder ", app.m_strTempFolder);
    // The run's own folder, private to it, also keeps what the run puts aside until it is done.
    app.m_uninstallLog.backupFolder = app.m_strTempFolder;
    const bool installed = InstallIntoTemporaryFolder(app, page, payloadSource);
    app.m_uninstallLog.backupFolder.clear();
    diagnostics::note(installed ? "Installation OK" : "Installation FAILED and rolled back");
    return installed;
}

bool RunInstallationSequence(CInstallApp& app, InstallProgressPage& page) {
    vn::imemstream payloadSource = payload::find_payload();
    return RunInstallationFrom(app, page, payloadSource);
}
