// The record of the log as Save writes it, from the previous record and this run's entries.
#include "platform/diagnostics/diagnostic_log.hpp"
#include "uninstall_log/installation_record.hpp"

#include <algorithm>

namespace {

void CarryPrevious(const UninstallLogEntry& entry, const InstallationRecord& previous, InstallationRecord& record) {
    if (const auto found = previous.written.find(entry.path); found != previous.written.end()) {
        record.written[entry.path] = found->second;
    }
    if (previous.keptPreexisting.contains(entry.path)) {
        record.keptPreexisting.insert(entry.path);
    }
}

void AddWritten(const UninstallLogEntry& entry, InstallationRecord& record) {
    record.written.erase(entry.path);
    record.keptPreexisting.erase(entry.path);
    if (entry.previousStaysInPlace) {
        record.keptPreexisting.insert(entry.path);
        return;
    }
    std::error_code error;
    if (const auto print = platform::kernel::fingerprint_file(entry.path, error)) {
        record.written[entry.path] = *print;
    } else {
        platform::diagnostics::note("Installation record: the written file cannot be measured: ", entry.path, ": ",
                                    error.message());
    }
}

}  // namespace

InstallationRecord BuildInstallationRecord(const UninstallLog& log, const InstallationRecord& previous,
                                           const std::vector<std::string>& createdKeys) {
    InstallationRecord record;
    for (const auto& entry : log.previousEntries) {
        if (entry.kind == UninstallLogEntry::File && entry.done) {
            CarryPrevious(entry, previous, record);
        }
    }
    for (const auto& entry : log.entries) {
        if (entry.kind == UninstallLogEntry::File && entry.done) {
            AddWritten(entry, record);
        }
    }
    // A key the first installation made is still the installation's after an update.
    record.createdKeys = previous.createdKeys;
    for (const auto& key : createdKeys) {
        if (std::find(record.createdKeys.begin(), record.createdKeys.end(), key) == record.createdKeys.end()) {
            record.createdKeys.push_back(key);
        }
    }
    return record;
}
