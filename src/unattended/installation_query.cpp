#include "unattended/installation_query.hpp"

#include "startup/console_messages.hpp"
#include "startup/installed_product.hpp"
#include "startup/language_catalogue.hpp"
#include "startup/process_guards.hpp"
#include "startup/version_info.hpp"
#include "unattended/exit_codes.hpp"
#include "unattended/language_codes.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/path.hpp>

#include <algorithm>
#include <ostream>

namespace {

const char* RelationName(PreviousInstallStatus relation) {
    switch (relation) {
        case PreviousNewer:
            return "newer";
        case PreviousSame:
            return "same";
        case PreviousOlder:
            return "older";
        case PreviousNone:
            break;
    }
    return "none";
}

// A value read from the machine (a path, a version string) kept to one line.
std::string OneLine(std::string value) {
    std::replace_if(
        value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
    return value;
}

}  // namespace

InstalledProductReport QueryInstalledProduct(std::error_code& error) {
    InstalledProductReport report;
    const std::string program = LookUpInstalledProduct(error);
    if (error || program.empty()) {
        return report;
    }
    const VersionInfo version = VersionInfo::FromFile(program);
    report.installed = true;
    report.relation = ComparePreviousVersion(version).status;
    report.version = version.GetDisplayText();

    UninstallLog log;
    ReadPreviousUninstallLog(program, log);
    report.folder =
        !log.installPath.empty() ? log.installPath : boost::filesystem::path(program).parent_path().string();
    if (const auto language = RecordedProductLanguage()) {
        report.language = LanguageCode(*language);
    }
    return report;
}

std::string FormatInstalledProductReport(const InstalledProductReport& report) {
    std::string text;
    const auto line = [&text](const char* key, const std::string& value) {
        text += std::string(key) + "=" + OneLine(value) + "\n";
    };
    line("installed", report.installed ? "yes" : "no");
    line("version", report.version);
    line("folder", report.folder);
    line("language", report.language);
    line("relation", RelationName(report.relation));
    return text;
}

int RunQuery(const std::string& program, std::ostream& out, std::ostream& errors) {
    UseConsoleMessages();
    UseExitCodeForFailedChecks(exit_code::kStartupFailure);
    // Only the checks that write nothing: the full set-up counts this process as a running installer.
    CheckProcessor();
    SetUpErrorModeAndLocale();
    // The version text as every language but French shows it, whatever the environment's language.
    MakeLanguageCurrent(LanguageEnglish);

    std::error_code error;
    const InstalledProductReport report = QueryInstalledProduct(error);
    if (error) {
        errors << program << ": --query: the registry cannot be read: " << error.message() << " (error "
               << error.value() << ")\n";
        return exit_code::kStartupFailure;
    }
    out << FormatInstalledProductReport(report) << std::flush;
    return out ? 0 : exit_code::kStartupFailure;
}
