#include "uninstall_log/file_change.hpp"

#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/file_operations.hpp"
#include "platform/shell/change_notify.hpp"
#include "platform/shell/user_folders.hpp"
#include "platform/system/user_file_rights.hpp"
#include "uninstall_log/backups.hpp"
#include "uninstall_log/same_item.hpp"
#include "uninstall_log/undo_notes.hpp"

#include <boost/filesystem/operations.hpp>

#include <system_error>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;
namespace shcne = platform::shell::shcne;

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    const auto item = ExistingItem(a);
    return item && item == ExistingItem(b);
}

}  // namespace

void UndoWrittenFile(const UninstallLogEntry& entry, const std::string& origin) {
    const bool isPreviousFile = entry.previousStaysInPlace && !origin.empty() && SameFile(entry.path, origin);
    if (!entry.path.empty() && !isPreviousFile) {
        std::error_code failure;
        try {
            // In the user's own folders the file goes with the user's rights, as it was written.
            const platform::system::user_file_rights rights(platform::shell::in_user_folders(entry.path));
            kernel::set_file_attributes(entry.path, kernel::file_attribute_normal);
            failure = kernel::delete_file(entry.path);
        } catch (const std::system_error& refused) {
            failure = refused.code();
        }
        if (failure) {
            NoteUndoFailure("Deleting the file", entry.path, failure);
        } else {
            NoteUndoStep("File deleted", entry.path);
            platform::shell::change_notify(shcne::delete_item, entry.path);
        }
    } else if (isPreviousFile) {
        NoteUndoStep("File left as it was before the run", entry.path);
    }
    if (entry.backupPath.empty()) {
        return;
    }
    if (entry.previousStaysInPlace) {
        DiscardBackup(entry.backupPath);  // a copy of a file that never left
    } else if (!origin.empty() && RestoreBackup(entry.backupPath, origin)) {
        platform::shell::change_notify(shcne::create, origin);
    }
}

PendingChange UninstallLog::AddFile(const fs::path& path, std::int32_t value, PreviousFile previous) {
    CreateFolders(path.parent_path());
    // Something the run did not write is there. A folder is never put aside (the write fails on it
    // anyway); a kept file needs no backup; anything else is put aside first, or the file is not
    // written at all.
    std::string backup;
    boost::system::error_code error;
    const fs::file_type type = fs::symlink_status(path, error).type();
    if (type != fs::file_not_found && type != fs::directory_file && previous != PreviousFile::Keep) {
        backup = MakeBackup(path, previous == PreviousFile::CopyAside);
    }
    UninstallLogEntry& entry = Append(UninstallLogEntry::File, path.string(), value);
    entry.undo = [](const UninstallLogEntry& written) { UndoWrittenFile(written, written.path); };
    entry.backupPath = std::move(backup);
    entry.previousStaysInPlace = previous == PreviousFile::Keep;
    return Open(entry);
}
