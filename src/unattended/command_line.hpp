// The installer's command line. Without arguments the wizard runs; `--unattended` installs without a
// window; `--log` works with both; `--query` tells what is installed and takes no other option. Parsed with
// Boost.Program_options; anything it cannot take is a usage error with a one-line message that names the option.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct UnattendedChoices {
    std::optional<std::string> installFolder;  // absolute, at most 260 characters
    std::optional<std::uint32_t> language;     // a product language's index
    bool startMenuShortcut = true;
    bool desktopShortcut = true;
};

struct CommandLine {
    enum class Action { RunWizard, RunUnattended, Query, ShowHelp, ShowVersion, UsageError };

    Action action = Action::RunWizard;
    UnattendedChoices choices;
    std::optional<boost::filesystem::path> logFile;
    std::string error;  // for UsageError: what is wrong, naming the option
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The synopsis line: "usage: PROGRAM [--unattended [OPTIONS]] [--log FILE] | --query | --help | --version".
std::string UsageLine(const std::string& program);

// The whole --help text: the synopsis, every option, the exit codes.
std::string HelpText(const std::string& program);
