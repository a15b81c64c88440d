// Recording the changes of an installation run before they are made.
#include "platform/kernel/file_operations.hpp"
#include "platform/shell/change_notify.hpp"
#include "uninstall_log/backups.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/operations.hpp>

#include <stdexcept>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;

namespace {

UninstallLogEntry& Append(std::list<UninstallLogEntry>& entries, std::uint32_t kind, std::string path = {},
                          bool done = false, std::int32_t value = -1) {
    UninstallLogEntry& entry = entries.emplace_back();
    entry.kind = kind;
    entry.path = std::move(path);
    entry.done = done;
    entry.value = value;
    return entry;
}

}  // namespace

void UninstallLog::CreateFolders(const fs::path& path) {
    // The root is never a candidate; each later component is, outermost first.
    fs::path candidate = path.root_path();
    for (const fs::path& component : path.relative_path()) {
        if (component.empty() || component == ".") {
            continue;  // a trailing or doubled separator
        }
        candidate /= component;
        boost::system::error_code ignored;
        if (fs::is_directory(candidate, ignored)) {
            continue;
        }
        if (kernel::create_folder(candidate)) {
            return;
        }
        platform::shell::change_notify(platform::shell::shcne::mkdir, candidate);
        Append(entries, UninstallLogEntry::Folder, candidate.string(), true);
    }
}

PendingChange UninstallLog::AddFile(const fs::path& path, std::int32_t value, PreviousFile previous) {
    CreateFolders(path.parent_path());
    UninstallLogEntry& entry = Append(entries, UninstallLogEntry::File, path.string(), false, value);
    PendingChange change = Open(entry);

    boost::system::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (status.type() == fs::file_not_found) {
        return change;
    }
    // Something the run did not write is there. A folder is never put aside (the write fails on it
    // anyway); a file the backup cannot take stays where it is, and the rollback must respect both.
    if (status.type() != fs::directory_file) {
        entry.backupPath = MakeBackup(&path, previous != PreviousFile::MoveAside);
    }
    entry.keepsPreviousFile = entry.backupPath.empty() || previous == PreviousFile::Keep;
    return change;
}

PendingChange UninstallLog::AddShortcut(int which, const fs::path& folder) {
    if (which < 0 || which > 2) {
        throw std::invalid_argument("AddShortcut: which must be 0, 1 or 2");
    }
    const std::uint32_t kind = UninstallLogEntry::StartMenuShortcut + static_cast<std::uint32_t>(which);
    CreateFolders(folder);
    UninstallLogEntry& entry = Append(entries, kind);
    PendingChange change = Open(entry);

    // The previous installation's shortcut is no longer where it was: the new one may take its name.
    const UninstallLogEntry* previous = PreviousShortcut(previousEntries, kind);
    if (!previous || previous->path.empty()) {
        return change;
    }
    const fs::path previousPath = previous->path;
    boost::system::error_code error;
    if (fs::symlink_status(previousPath, error).type() == fs::file_not_found) {
        return change;
    }
    entry.backupPath = MakeBackup(&previousPath, false);
    entry.keepsPreviousFile = entry.backupPath.empty();
    return change;
}

PendingChange UninstallLog::AddRegistryKey(const platform::registry::Key* existingKey) {
    UninstallLogEntry& entry = Append(entries, UninstallLogEntry::UninstallKey);
    PendingChange change = Open(entry);
    if (existingKey) {
        entry.backupPath = SaveKeyBackup(*existingKey);
        // Without a saved copy the key must survive a rollback as it is, not be deleted.
        entry.keepsPreviousFile = entry.backupPath.empty();
    }
    return change;
}

PendingChange UninstallLog::AddRegistrationRun() {
    return Open(Append(entries, UninstallLogEntry::RegistrationRun));
}

PendingChange UninstallLog::AddDirectX() {
    return Open(Append(entries, UninstallLogEntry::DirectXRuntime));
}

UninstallLog::UninstallLog(UninstallLog&& other) noexcept
    : installPath(std::move(other.installPath)),
      shortcutPath(std::move(other.shortcutPath)),
      previousEntries(std::move(other.previousEntries)),
      entries(std::move(other.entries)),
      previousProduct(std::move(other.previousProduct)),
      m_openChanges(std::move(other.m_openChanges)) {
    other.m_openChanges.clear();
    for (PendingChange* change : m_openChanges) {
        change->m_log = this;
    }
}

UninstallLog::~UninstallLog() {
    DetachOpenChanges();
}

void UninstallLog::DetachOpenChanges() noexcept {
    for (PendingChange* change : m_openChanges) {
        change->Detach();
    }
    m_openChanges.clear();
}

bool UninstallLog::WasInstalledBefore(const fs::path& path) const {
    const std::string& wanted = path.string();
    for (const auto& entry : previousEntries) {
        if (entry.kind == UninstallLogEntry::File && entry.done && entry.path == wanted) {
            return true;
        }
    }
    return false;
}
