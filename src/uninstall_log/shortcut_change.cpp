// A shortcut the run makes: recorded before it is made, which puts the previous installation's
// shortcut of its kind aside; a rollback deletes the new one and puts the previous one back.
#include "uninstall_log/backups.hpp"
#include "uninstall_log/file_change.hpp"

#include <boost/filesystem/operations.hpp>

#include <stdexcept>

namespace fs = boost::filesystem;

PendingChange UninstallLog::AddShortcut(ShortcutKind which, const fs::path& folder) {
    if (which > ShortcutKind::Desktop) {
        throw std::invalid_argument("AddShortcut: not a shortcut kind");
    }
    const auto kind =
        static_cast<EntryKind>(KindNumber(EntryKind::StartMenuShortcut) + static_cast<std::uint32_t>(which));
    CreateFolders(folder);
    const UninstallLogEntry* previous = PreviousShortcut(previousEntries, kind);
    const std::string origin = previous ? previous->path : std::string();
    // The previous installation's shortcut is no longer where it was: the new one may take its name.
    std::string backup;
    boost::system::error_code error;
    if (!origin.empty() && fs::symlink_status(origin, error).type() != fs::file_not_found) {
        backup = MakeBackup(origin, false);
    }
    UninstallLogEntry& entry = Append(kind);
    entry.undo = [origin](const UninstallLogEntry& made) { UndoWrittenFile(made, origin); };
    entry.backupPath = std::move(backup);
    return Open(entry);
}
