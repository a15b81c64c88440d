#include "startup/installed_product.hpp"

#include "identity/product_identity.hpp"
#include "platform/registry/key.hpp"
#include "startup/language_catalogue.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/system/error_code.hpp>

#include <optional>
#include <string_view>

namespace reg = platform::registry;
namespace fs = boost::filesystem;

namespace {

constexpr std::string_view kLogFileName = "Uninstall.ulog";

// A missing key or value, and a value that is not text, are simply not there; anything else means
// that the registry could not be read.
bool IsAbsence(const std::error_code& error) {
    return error == reg::errc::file_not_found || error == reg::errc::unsupported_type ||
           error == reg::errc::invalid_data;
}

// A text value; nothing when the key or value is absent or the value is not text. Any other failure
// also gives nothing and is set in `error`.
std::optional<std::string> ReadText(std::string_view keyPath, std::string_view valueName, std::error_code& error) {
    error.clear();
    const auto key = reg::Key::open(reg::hive::local_machine, keyPath);
    if (!key) {
        error = IsAbsence(key.error()) ? std::error_code() : key.error();
        return std::nullopt;
    }
    auto text = key->query_string(valueName);
    if (!text) {
        error = IsAbsence(text.error()) ? std::error_code() : text.error();
        return std::nullopt;
    }
    return std::move(*text);
}

// Where a failure to read changes nothing for the caller: it has no previous installation to build
// on, which is safe.
std::optional<std::string> ReadText(std::string_view keyPath, std::string_view valueName) {
    std::error_code ignored;
    return ReadText(keyPath, valueName, ignored);
}

bool Exists(const fs::path& path) {
    boost::system::error_code error;
    return fs::exists(path, error) && !error;
}

// Everything before the last separator, joined with the log's name by one separator.
fs::path LogBeside(std::string_view file) {
    const std::size_t separator = file.find_last_of('/');
    const std::string_view folder =
        separator == std::string_view::npos ? std::string_view() : file.substr(0, separator);
    return fs::path(std::string(folder) + "/" + std::string(kLogFileName));
}

}  // namespace

std::string UninstallKeyPath() {
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + std::string(kProductKey);
}

std::string LookUpInstalledProduct() {
    std::error_code ignored;
    return LookUpInstalledProduct(ignored);
}

std::string LookUpInstalledProduct(std::error_code& error) {
    const std::string companyKey = "Software\\" + std::string(kCompanyName);
    std::optional<std::string> program = ReadText(companyKey, kInstalledProgramValueName, error);
    if (!program || program->empty() || !Exists(*program)) {
        return {};
    }
    return std::move(*program);
}

std::optional<std::uint32_t> RecordedProductLanguage() {
    const auto recorded = reg::get_value(reg::hive::local_machine, UninstallKeyPath(), "VnLanguage");
    if (!recorded || recorded->data.size() != 4) {
        return std::nullopt;
    }
    const auto& d = recorded->data;
    const std::uint32_t index = d[0] | d[1] << 8 | d[2] << 16 | std::uint32_t{d[3]} << 24;
    return IsProductLanguage(index) ? std::optional(index) : std::nullopt;
}

fs::path FindUninstallLog(const std::string& installedProgram) {
    if (const auto uninstaller = ReadText(UninstallKeyPath(), "UninstallString")) {
        if (fs::path candidate = LogBeside(*uninstaller); Exists(candidate)) {
            return candidate;
        }
    }
    boost::system::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        if (fs::path candidate = LogBeside(self.string()); Exists(candidate)) {
            return candidate;
        }
    }
    if (!installedProgram.empty()) {
        if (fs::path candidate = LogBeside(installedProgram); Exists(candidate)) {
            return candidate;
        }
    }
    return {};
}

bool ReadPreviousUninstallLog(const std::string& installedProgram, UninstallLog& log) {
    const fs::path file = FindUninstallLog(installedProgram);
    log.Read(file.empty() ? nullptr : &file);
    return !file.empty();
}
