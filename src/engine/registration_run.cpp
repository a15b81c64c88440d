#include "engine/registration_run.hpp"

#include "platform/process/process_handle.hpp"
#include "platform/shell/change_notify.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/ui/wait_cursor.hpp"
#include "startup/install_app.hpp"

#include <boost/format.hpp>

namespace process = platform::process;

std::string RegistrationCommandLine(const std::string& mainProgramPath, std::uint64_t previousVersion) {
    std::string commandLine = platform::shell::quote_spaces(mainProgramPath) + " /Register /Background";
    if (previousVersion != 0) {
        commandLine += (boost::format(" /update=%|1$016x|") % previousVersion).str();
    }
    return commandLine;
}

RegistrationOutcome RunRegistration(CInstallApp& app, const std::string& mainProgramPath) {
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
