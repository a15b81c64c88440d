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

void UninstallLog::AddFile(const fs::path& path, std::int32_t value, bool copyBackup) {
    pendingCommit = true;
    CreateFolders(path.parent_path());
    UninstallLogEntry& entry = Append(entries, UninstallLogEntry::File, path.string(), false, value);

    boost::system::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (status.type() == fs::file_not_found) {
        return;
    }
    // Something the run did not write is there. A folder is never put aside (the write fails on it
    // anyway); a file the backup cannot take stays where it is, and the rollback must respect both.
    if (status.type() != fs::directory_file) {
        entry.backupPath = MakeBackup(&path, copyBackup);
    }
    entry.keepsPreviousFile = entry.backupPath.empty();
}

void UninstallLog::AddShortcut(int which, const fs::path& folder) {
    if (which < 0 || which > 2) {
        throw std::invalid_argument("AddShortcut: which must be 0, 1 or 2");
    }
    const std::uint32_t kind = UninstallLogEntry::StartMenuShortcut + static_cast<std::uint32_t>(which);
    pendingCommit = true;
    CreateFolders(folder);
    UninstallLogEntry& entry = Append(entries, kind);

    // The previous installation's shortcut is no longer where it was: the new one may take its name.
    const UninstallLogEntry* previous = PreviousShortcut(previousEntries, kind);
    if (!previous || previous->path.empty()) {
        return;
    }
    const fs::path previousPath = previous->path;
    boost::system::error_code error;
    if (fs::symlink_status(previousPath, error).type() == fs::file_not_found) {
        return;
    }
    entry.backupPath = MakeBackup(&previousPath, false);
    entry.keepsPreviousFile = entry.backupPath.empty();
}

void UninstallLog::AddRegistryKey(const platform::registry::Key* existingKey) {
    pendingCommit = true;
    UninstallLogEntry& entry = Append(entries, UninstallLogEntry::UninstallKey);
    if (existingKey) {
        entry.backupPath = SaveKeyBackup(*existingKey);
        // Without a saved copy the key must survive a rollback as it is, not be deleted.
        entry.keepsPreviousFile = entry.backupPath.empty();
    }
}

void UninstallLog::AddRegistrationRun() {
    pendingCommit = true;
    Append(entries, UninstallLogEntry::RegistrationRun);
}

void UninstallLog::AddDirectX() {
    pendingCommit = true;
    Append(entries, UninstallLogEntry::DirectXRuntime);
}

void UninstallLog::Complete(bool done, std::optional<std::string> text) {
    if (!pendingCommit) {
        return;
    }
    pendingCommit = false;
    if (entries.empty()) {
        return;  // a rollback has taken the entry away
    }
    UninstallLogEntry& newest = entries.back();
    newest.done = done;
    if (text) {
        newest.path = std::move(*text);
    }
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
