#include "startup/installed_product.hpp"

#include "identity/product_identity.hpp"
#include "platform/registry/key.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/system/error_code.hpp>

#include <optional>
#include <string_view>

namespace reg = platform::registry;
namespace fs = boost::filesystem;

namespace {

constexpr std::string_view kLogFileName = "Uninstall.ulog";

// A text value; nothing when the key or value is absent or the value is not text. Other failures
// are treated the same: the caller then has no previous installation to build on, which is safe.
std::optional<std::string> ReadText(std::string_view keyPath, std::string_view valueName) {
    const auto key = reg::Key::open(reg::hive::local_machine, keyPath);
    if (!key) {
        return std::nullopt;
    }
    auto text = key->query_string(valueName);
    if (!text) {
        return std::nullopt;
    }
    return std::move(*text);
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
    const std::string companyKey = "Software\\" + std::string(kCompanyName);
    std::optional<std::string> program = ReadText(companyKey, kInstalledProgramValueName);
    if (!program || program->empty() || !Exists(*program)) {
        return {};
    }
    return std::move(*program);
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
