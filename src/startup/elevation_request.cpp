#include "startup/elevation_request.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/program_file.hpp"
#include "platform/process/command_line.hpp"
#include "platform/process/process_handle.hpp"
#include "platform/system/environment.hpp"
#include "platform/system/invoking_user.hpp"
#include "security/access_control.hpp"

#include <boost/filesystem/operations.hpp>

namespace diagnostics = platform::diagnostics;
namespace kernel = platform::kernel;
namespace sys = platform::system;

namespace {

constexpr const char* kPkexec = "pkexec";

// The file to start again, when no other account could have swapped it; nothing otherwise, with the
// reason in the log.
std::optional<kernel::program_file> ProgramToRaise() {
    const auto program = kernel::running_program_file();
    if (!program) {
        diagnostics::note("Not asking for administrator rights: the program's file cannot be named");
        return std::nullopt;
    }
    const std::string reason = kernel::replaceable_by_others(program->path, sys::real_user_id());
    if (!reason.empty()) {
        diagnostics::note("Not asking for administrator rights: ", reason);
        return std::nullopt;
    }
    return program;
}

std::string CommandLineFor(const kernel::program_file& program, const std::vector<std::string>& userArguments) {
    boost::system::error_code error;
    const boost::filesystem::path folder = boost::filesystem::current_path(error);
    std::vector<std::string> arguments{program.path.string()};
    for (std::string& argument :
         ElevationArgumentsFor(program.identity, error ? "/" : folder.string(), sys::environment_variables())) {
        arguments.push_back(std::move(argument));
    }
    arguments.insert(arguments.end(), userArguments.begin(), userArguments.end());
    std::string line = kPkexec;
    for (const std::string& argument : arguments) {
        line += ' ';
        line += platform::process::quote_argument(argument);
    }
    return line;
}

}  // namespace

std::optional<int> RunRaisedCopy(const std::vector<std::string>& userArguments, const ElevationArguments& own) {
    if (own.marked || security::IsUserAdmin()) {
        return std::nullopt;
    }
    const auto program = ProgramToRaise();
    if (!program) {
        return std::nullopt;
    }
    platform::process::start_options options;
    options.command_line = CommandLineFor(*program, userArguments);
    platform::process::process_handle copy = platform::process::process_handle::start(options);
    if (!copy) {
        diagnostics::note("Not asking for administrator rights: pkexec cannot be started (error ", copy.start_error(),
                          ")");
        return std::nullopt;
    }
    diagnostics::note("Asking for administrator rights through pkexec for ", program->path);
    (void)copy.wait();
    const int code = copy.exit_code().value_or(kElevationNotAuthorised);
    if (code == kElevationCancelled || code == kElevationNotAuthorised) {
        diagnostics::note("Administrator rights not given (pkexec ended with ", code, ")");
        return std::nullopt;
    }
    diagnostics::note("The copy with administrator rights ended with exit code ", code);
    // pkexec ended by a signal has no exit status to hand on.
    return code >= -128 && code <= 255 ? code : 1;
}

bool AcceptElevation(const ElevationArguments& taken, std::string& error) {
    if (taken.marked && sys::running_as_root() && sys::started_through_pkexec()) {
        const auto running = kernel::running_program_identity();
        if (!taken.program || !running || !(*taken.program == *running)) {
            error = "this program is not the file the user started";
            return false;
        }
        for (const auto& [name, value] : taken.environment) {
            sys::set_environment_variable(name, value);
        }
        if (taken.folder) {
            boost::system::error_code ignored;
            boost::filesystem::current_path(*taken.folder, ignored);
        }
    }
    if (const auto user = sys::find_invoking_user()) {
        sys::act_for_user(*user);
    }
    return true;
}
