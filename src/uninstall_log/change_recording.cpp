// Recording the changes of an installation run before they are made: what every kind shares, and the
// steps that a rollback does not undo (the registration run and the runtime setup are undone by the
// uninstaller alone). Each kind of change with an undo has its own unit beside this one.
#include "uninstall_log/uninstall_log.hpp"

UninstallLog::UninstallLog(UninstallLog&& other) noexcept
    : installPath(std::move(other.installPath)),
      shortcutPath(std::move(other.shortcutPath)),
      previousEntries(std::move(other.previousEntries)),
      entries(std::move(other.entries)),
      previousProduct(std::move(other.previousProduct)),
      backupFolder(std::move(other.backupFolder)),
      m_openChanges(std::move(other.m_openChanges)),
      m_unlisted(std::move(other.m_unlisted)),
      m_committed(other.m_committed) {
    other.m_openChanges.clear();
    other.m_unlisted.clear();
    for (PendingChange* change : m_openChanges) {
        change->m_log = this;
    }
}

UninstallLog::~UninstallLog() {
    DetachOpenChanges();
}

UninstallLogEntry& UninstallLog::Append(EntryKind kind, std::string path, std::int32_t value) {
    UninstallLogEntry& entry = entries.emplace_back();
    entry.kind = kind;
    entry.path = std::move(path);
    entry.value = value;
    return entry;
}

void UninstallLog::DetachOpenChanges() noexcept {
    for (PendingChange* change : m_openChanges) {
        change->Detach();
    }
    m_openChanges.clear();
}

void UninstallLog::RecordUnlisted(std::function<void()> undo, std::string backup) {
    m_unlisted.push_back({entries.size(), std::move(undo), std::move(backup)});
}

PendingChange UninstallLog::AddRegistrationRun() {
    return Open(Append(UninstallLogEntry::RegistrationRun));
}

PendingChange UninstallLog::AddDirectX() {
    return Open(Append(UninstallLogEntry::DirectXRuntime));
}

bool UninstallLog::WasInstalledBefore(const boost::filesystem::path& path) const {
    const std::string& wanted = path.string();
    for (const auto& entry : previousEntries) {
        if (entry.kind == UninstallLogEntry::File && entry.done && entry.path == wanted) {
            return true;
        }
    }
    return false;
}
