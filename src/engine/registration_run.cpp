#include "engine/registration_run.hpp"

#include "platform/process/process_handle.hpp"
#include "platform/registry/hive.hpp"
#include "platform/shell/change_notify.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/ui/wait_cursor.hpp"
#include "startup/install_app.hpp"

#include <boost/format.hpp>

namespace process = platform::process;
namespace shell = platform::shell;

namespace {

// Where the program's registration puts the document type: its class and its extension under
// HKEY_LOCAL_MACHINE\Software\Classes, and its MIME package and desktop entry in the machine-wide data
// folder (the all-users Start menu), from which the desktop builds its databases.
constexpr const char* kDocumentTypeKeys[] = {"Software\\Classes\\Vintrel.Quillon7", "Software\\Classes\\.qln"};
constexpr const char* kMimeFolder = "mime";
constexpr const char* kDocumentTypeFiles[] = {"mime/packages/vintrel-quillon7.xml",
                                              "applications/vintrel-quillon7.desktop"};

// Records what the registration may change, so that a rollback of a later step puts it back; the
// desktop rebuilds its databases once the files are back.
void RecordDocumentTypeState(UninstallLog& log) {
    log.RecordUndo([] { shell::change_notify(shell::shcne::assocchanged); });
    for (const char* key : kDocumentTypeKeys) {
        log.RecordKeyState(platform::registry::hive::local_machine, key);
    }
    const auto data = shell::special_folder(shell::csidl::common_startmenu);
    if (!data) {
        return;
    }
    // A MIME database made from nothing holds only what the run registered.
    log.RecordNewFolderTree(*data / kMimeFolder);
    for (const char* file : kDocumentTypeFiles) {
        log.RecordFileState(*data / file);
    }
}

}  // namespace

std::string RegistrationCommandLine(const std::string& mainProgramPath, std::uint64_t previousVersion) {
    std::string commandLine = platform::shell::quote_spaces(mainProgramPath) + " /Register /Background";
    if (previousVersion != 0) {
        commandLine += (boost::format(" /update=%|1$016x|") % previousVersion).str();
    }
    return commandLine;
}

RegistrationOutcome RunRegistration(CInstallApp& app, const std::string& mainProgramPath) {
    RecordDocumentTypeState(app.m_uninstallLog);
    PendingChange change = app.m_uninstallLog.AddRegistrationRun();

    process::start_options options;
    options.command_line = RegistrationCommandLine(mainProgramPath, app.m_nPreviousVersion);
    std::string workingFolder = mainProgramPath;
    platform::shell::remove_file_spec(workingFolder);
    options.working_folder = workingFolder;
    options.priority = process::priority_class::high;

    // The program waits for no installer to run: it must not find the installer's mutex taken.
    app.m_instanceMutex.Release();
    process::process_handle program = process::process_handle::start(options);
    RegistrationOutcome outcome;
    if (program) {
        outcome.started = true;
        (void)program.wait();
        outcome.exitCode = program.exit_code().value_or(0);
    }
    (void)app.m_instanceMutex.TryAcquire();
    change.Complete(outcome.Succeeded());

    if (outcome.Succeeded()) {
        platform::ui::CWaitCursor wait;
        platform::shell::change_notify(platform::shell::shcne::assocchanged);
    }
    return outcome;
}
