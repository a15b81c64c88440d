#include "unattended/command_line.hpp"

#include "platform/text/utf_convert.hpp"
#include "startup/install_app.hpp"

#include "unattended/exit_codes.hpp"
#include "unattended/language_codes.hpp"

#include <boost/program_options.hpp>

#include <sstream>

namespace po = boost::program_options;

namespace {

// The folder page takes at most this many characters.

po::options_description Options() {
    po::options_description options("Options");
    // clang-format off
    options.add_options()
        ("unattended", "install without a window, with the quick installation's choices")
        ("folder", po::value<std::string>()->value_name("DIR"),
         "installation folder: absolute, created when missing (with --unattended; an update keeps the "
         "installed product's folder)")
        ("language", po::value<std::string>()->value_name("CODE"),
         "interface and product language by its ISO code (with --unattended; default: the environment's)")
        ("no-start-menu", "no shortcuts in the Start menu's folder (with --unattended)")
        ("no-desktop", "no shortcut on the desktop (with --unattended)")
        ("log", po::value<std::string>()->value_name("FILE"),
         "append a diagnostic log to FILE (created when missing, never through a symbolic link)")
        ("query", "print what is installed as key=value lines (installed, version, folder, language, "
         "relation) and change nothing; needs neither a display nor administrator rights")
        ("help", "show this text")
        ("version", "show the installer's product and file version");
    // clang-format on
    return options;
}

CommandLine UsageError(std::string error) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.error = std::move(error);
    return line;
}

// Checks what the folder page would refuse, and what only makes sense as a full path here.
std::string FolderError(const std::string& folder) {
    if (folder.empty() || folder.front() != '/') {
        return "--folder: '" + folder + "' is not an absolute folder";
    }
    if (platform::text::utf8_to_utf16(folder).size() > static_cast<std::size_t>(kMaxFolderChars)) {
        return "--folder: more than " + std::to_string(kMaxFolderChars) + " characters";
    }
    if (folder.find('\0') != std::string::npos) {
        return "--folder: the folder holds a zero character";
    }
    return {};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    po::variables_map values;
    try {
        // No abbreviations and no short options: a misspelt option is refused, never guessed.
        const auto style = po::command_line_style::unix_style ^ po::command_line_style::allow_guessing;
        po::options_description all;
        all.add(Options()).add_options()("argument", po::value<std::vector<std::string>>());
        po::positional_options_description positional;
        positional.add("argument", -1);
        po::store(po::command_line_parser(arguments).options(all).positional(positional).style(style).run(), values);
    } catch (const po::error& error) {
        return UsageError(error.what());
    }

    if (values.count("argument")) {
        return UsageError("unexpected argument '" + values["argument"].as<std::vector<std::string>>().front() + "'");
    }
    CommandLine line;
    if (values.count("help")) {
        line.action = CommandLine::Action::ShowHelp;
        return line;
    }
    if (values.count("version")) {
        line.action = CommandLine::Action::ShowVersion;
        return line;
    }
    const bool unattended = values.count("unattended") != 0;
    if (values.count("query")) {
        for (const char* option : {"unattended", "folder", "language", "no-start-menu", "no-desktop", "log"}) {
            if (values.count(option)) {
                return UsageError(std::string("the option '--") + option + "' cannot be used with '--query'");
            }
        }
        line.action = CommandLine::Action::Query;
        return line;
    }
    for (const char* option : {"folder", "language", "no-start-menu", "no-desktop"}) {
        if (values.count(option) && !unattended) {
            return UsageError(std::string("the option '--") + option + "' needs '--unattended'");
        }
    }
    if (values.count("folder")) {
        const auto& folder = values["folder"].as<std::string>();
        if (std::string error = FolderError(folder); !error.empty()) {
            return UsageError(error);
        }
        line.choices.installFolder = folder;
    }
    if (values.count("language")) {
        const auto& code = values["language"].as<std::string>();
        line.choices.language = ProductLanguageFromCode(code);
        if (!line.choices.language) {
            return UsageError("--language: '" + code + "' is not one of " + ProductLanguageCodes());
        }
    }
    if (values.count("log")) {
        const auto& file = values["log"].as<std::string>();
        if (file.empty()) {
            return UsageError("--log: the file name is empty");
        }
        line.logFile = boost::filesystem::path(file);
    }
    line.choices.startMenuShortcut = values.count("no-start-menu") == 0;
    line.choices.desktopShortcut = values.count("no-desktop") == 0;
    line.action = unattended ? CommandLine::Action::RunUnattended : CommandLine::Action::RunWizard;
    return line;
}

std::string UsageLine(const std::string& program) {
    return "usage: " + program +
           " [--unattended [--folder DIR] [--language CODE] [--no-start-menu] [--no-desktop]] [--log FILE] | "
           "--query | --help | --version";
}

std::string HelpText(const std::string& program) {
    std::ostringstream text;
    text << UsageLine(program) << "\n\n"
         << "Without options the installation wizard runs. With --unattended the product is installed\n"
         << "without a window or a display: the quick installation's choices (the default folder, or\n"
         << "the installed product's for an update or a reinstallation, and both shortcuts), with the\n"
         << "progress on standard error.\n\n"
         << Options() << "\n"
         << "Languages: " << ProductLanguageCodes() << "\n\n"
         << "Exit codes of --unattended:\n"
         << "  " << exit_code::kInstalled << "  installed\n"
         << "  " << exit_code::kFailed << "  the installation failed and was rolled back\n"
         << "  " << exit_code::kUsage << "  wrong usage: unknown or malformed option\n"
         << "  " << exit_code::kInstallerRunning << "  another installer is running\n"
         << "  " << exit_code::kNotAdministrator << "  no administrator rights\n"
         << "  " << exit_code::kProductRunning << "  the product is running\n"
         << "  " << exit_code::kNewerInstalled << "  a newer version of the product is installed\n"
         << "  " << exit_code::kStartupFailure
         << "  start-up failed (locale, processor, resources, the log file, the installer mutex)\n\n"
         << "--query prints installed=yes|no, version=, folder=, language= (an ISO code) and\n"
         << "relation=none|older|same|newer (the installed version compared with this installer's);\n"
         << "its exit code is 0 when it could answer, " << exit_code::kStartupFailure
         << " when it could not (the registry cannot be read).\n";
    return text.str();
}
