#include "engine/registration_run.hpp"

#include "platform/process/process_handle.hpp"
#include "platform/registry/hive.hpp"
#include "platform/shell/change_notify.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/shell/program_icon.hpp"
#include "platform/shell/theme_icons.hpp"
#include "platform/ui/wait_cursor.hpp"
#include "startup/install_app.hpp"

#include <boost/format.hpp>

#include <utility>

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

// The caches the desktop builds from the applications folders: a rollback gives each back as it was,
// and removes one the run made, so that no folder the run created is kept by it.
constexpr const char* kDesktopDatabaseFile = "applications/mimeinfo.cache";

// Records what the registration may change, so that a rollback of a later step puts it back; the
// desktop rebuilds its databases once the files are back, and the caches are then put back as they
// were before the run (so they are recorded first, to be undone last).
void RecordDocumentTypeState(UninstallLog& log, const std::string& mainProgramPath) {
    const auto data = shell::special_folder(shell::csidl::common_startmenu);
    for (const int place : {shell::csidl::common_startmenu, shell::csidl::startmenu}) {
        if (const auto folder = shell::special_folder(place)) {
            log.RecordFileState(*folder / kDesktopDatabaseFile);
        }
    }
    if (data) {
        log.RecordFileState(shell::icon_cache_file(shell::hicolor_theme(*data)));
    }
    log.RecordUndo([] { shell::change_notify(shell::shcne::assocchanged); });
    for (const char* key : kDocumentTypeKeys) {
        log.RecordKeyState(platform::registry::hive::local_machine, key);
    }
    if (!data) {
        return;
    }
    // A MIME database made from nothing holds only what the run registered.
    log.RecordNewFolderTree(*data / kMimeFolder);
    for (const char* file : kDocumentTypeFiles) {
        log.RecordFileState(*data / file);
    }
    // The program's first icon, installed as its own and as the document type's.
    const auto pictures = shell::first_icon_pictures(mainProgramPath);
    const auto theme = shell::hicolor_theme(*data);
    const std::string mimeIcon = "application-x-vintrel-quillon";
    for (const auto& [context, name] : {std::pair{shell::apps_icon_context, shell::program_icon_name(mainProgramPath)},
                                        std::pair{shell::mime_icon_context, mimeIcon}}) {
        for (const auto& file : shell::theme_icon_files(theme, pictures, context, name)) {
            log.RecordFileState(file);
        }
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
    RecordDocumentTypeState(app.m_uninstallLog, mainProgramPath);
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
