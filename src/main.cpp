// quillon-setup: the installer's entry point.
#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/shell/user_folders.hpp"
#include "platform/system/invoking_user.hpp"
#include "platform/system/terminal.hpp"
#include "platform/system/user_file_rights.hpp"
#include "platform/ui/application.hpp"
#include "platform/ui/display_connection.hpp"
#include "startup/elevation_request.hpp"
#include "startup/install_app.hpp"
#include "startup/process_guards.hpp"
#include "unattended/command_line.hpp"
#include "unattended/exit_codes.hpp"
#include "unattended/installation_query.hpp"
#include "unattended/program_version.hpp"
#include "unattended/unattended_run.hpp"
#include "wizard/run_wizard.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

namespace diagnostics = platform::diagnostics;

namespace {

int RunWizardProgram(const char* program, const std::vector<std::string>& arguments,
                     const ElevationArguments& elevation) {
    // Rights are asked for once the processor and the locale have passed, and before this process
    // counts itself as a running instance (SetUpApplication) or creates the installer mutex (the
    // application object): the raised copy would otherwise find "another installer" or "the
    // product running" in its own parent.
    CheckProcessor();
    SetUpErrorModeAndLocale();
    if (const auto raised = RunRaisedCopy(arguments, elevation)) {
        return *raised;
    }
    // The guards come first: they may end the process before any window or named object exists.
    InitializeProcess();
    // The framework sees no options: every argument has been taken by the command line above.
    int argc = 1;
    char* argv[] = {const_cast<char*>(program), nullptr};
    platform::ui::application_instance qt(argc, argv);
    CInstallApp app;
    app.SetWizard(RunWizard);
    return platform::ui::AfxWinMain(argc, argv);
}

bool OpenLog(const std::string& name, const boost::filesystem::path& file) {
    // A copy raised through pkexec appends to the log its user's process began, so with that user's
    // rights, as does any run for a user whose log lies in that user's folders.
    namespace sys = platform::system;
    std::error_code error;
    try {
        const sys::user_file_rights rights(sys::started_through_pkexec() ||
                                           platform::shell::in_user_folders(boost::filesystem::absolute(file)));
        error = diagnostics::open_log(file);
    } catch (const std::system_error& failure) {
        error = failure.code();
    }
    if (error) {
        std::fprintf(stderr, "%s: cannot open the log '%s': %s\n", name.c_str(), file.c_str(), error.message().c_str());
        return false;
    }
    diagnostics::note(name, " ", ProgramVersionText(), " started, process ", platform::system::current_process_id());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* program = argc > 0 ? argv[0] : "quillon-setup";
    const std::string name = boost::filesystem::path(program).filename().string();
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    ElevationArguments elevation;
    std::string elevationError;
    if (!TakeElevationArguments(arguments, elevation, elevationError)) {
        std::fprintf(stderr, "%s: %s; %s\n", name.c_str(), elevationError.c_str(), UsageLine(name).c_str());
        return exit_code::kUsage;
    }
    if (!AcceptElevation(elevation, elevationError)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), elevationError.c_str());
        return exit_code::kStartupFailure;
    }
    const CommandLine line = ParseCommandLine(arguments);

    switch (line.action) {
        case CommandLine::Action::UsageError:
            std::fprintf(stderr, "%s: %s; %s\n", name.c_str(), line.error.c_str(), UsageLine(name).c_str());
            return exit_code::kUsage;
        case CommandLine::Action::ShowHelp:
            std::fputs(HelpText(name).c_str(), stdout);
            return 0;
        case CommandLine::Action::ShowVersion:
            std::printf("%s\n", ProgramVersionText().c_str());
            return 0;
        case CommandLine::Action::Query:
            return RunQuery(name, std::cout, std::cerr);
        case CommandLine::Action::RunUnattended: {
            if (line.logFile && !OpenLog(name, *line.logFile)) {
                return exit_code::kStartupFailure;
            }
            int code = exit_code::kStartupFailure;
            try {
                code = RunUnattended(line.choices, line.logFile.value_or(boost::filesystem::path()));
            } catch (const std::exception& error) {
                // The installation itself undoes what it changed; what throws here is start-up.
                std::fprintf(stderr, "%s: start-up failed: %s\n", name.c_str(), error.what());
                diagnostics::note("FAILED start-up: ", error.what());
            }
            diagnostics::note(name, " ended with exit code ", code);
            return code;
        }
        case CommandLine::Action::RunWizard:
            break;
    }

    // Without a window system the framework would abort; say why before anything is written.
    if (const std::string problem = platform::ui::display_problem(); !problem.empty()) {
        std::fprintf(stderr, "%s: needs a graphical session, and %s\n", program, problem.c_str());
        return 1;
    }
    if (line.logFile && !OpenLog(name, *line.logFile)) {
        return exit_code::kStartupFailure;
    }
    const int code = RunWizardProgram(program, arguments, elevation);
    diagnostics::note(name, " ended with exit code ", code);
    return code;
}
