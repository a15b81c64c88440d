#include "engine/installation_record_step.hpp"

#include "identity/product_identity.hpp"
#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/registry/key.hpp"
#include "startup/install_app.hpp"
#include "startup/installed_product.hpp"

namespace reg = platform::registry;
namespace fs = boost::filesystem;

namespace {

// The keys the product's own keys lie under, outermost first.
std::vector<std::string> KeysOnTheWay() {
    std::vector<std::string> keys;
    for (const std::string& path : {std::string(kUninstallKeyParent), std::string("Software\\Classes"),
                                    "Software\\" + std::string(kCompanyName)}) {
        for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
            std::string key = path.substr(0, end);
            if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
                keys.push_back(std::move(key));
            }
            if (end == std::string::npos) {
                break;
            }
        }
    }
    return keys;
}

bool KeyExists(const std::string& path) {
    return static_cast<bool>(reg::Key::open(reg::hive::local_machine, path));
}

}  // namespace

InstallationRecordStart BeginInstallationRecord(CInstallApp& app) {
    InstallationRecordStart start;
    for (const std::string& key : KeysOnTheWay()) {
        if (!KeyExists(key)) {
            start.missingKeys.push_back(key);
        }
    }
    if (app.m_uninstallLog.previousEntries.empty()) {
        return start;
    }
    const fs::path previousLog = FindUninstallLog(app.FindInstalledProduct());
    if (previousLog.empty()) {
        return start;
    }
    ReadRecord read = ReadInstallationRecord(previousLog.parent_path() / kInstallationRecordName, previousLog);
    if (read.state == RecordState::valid) {
        start.previous = std::move(read.record);
    } else {
        platform::diagnostics::note("Installation record: the previous one is not usable (",
                                    static_cast<int>(read.state), "); its files stay unjudged");
    }
    return start;
}

bool WriteInstallationRecordFile(CInstallApp& app, const fs::path& logFile, const InstallationRecordStart& start) {
    std::vector<std::string> created;
    for (const std::string& key : start.missingKeys) {
        if (KeyExists(key)) {
            created.push_back(key);
        }
    }
    const fs::path recordFile = logFile.parent_path() / kInstallationRecordName;
    app.m_uninstallLog.RecordFileState(recordFile);
    return WriteInstallationRecord(recordFile, logFile,
                                   BuildInstallationRecord(app.m_uninstallLog, start.previous, created));
}
