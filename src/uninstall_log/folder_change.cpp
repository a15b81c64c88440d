// A folder the run creates: recorded once made, removed again by a rollback only while it is empty.
#include "platform/kernel/file_operations.hpp"
#include "platform/shell/change_notify.hpp"
#include "uninstall_log/undo_notes.hpp"
#include "uninstall_log/uninstall_log.hpp"

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;
namespace shcne = platform::shell::shcne;

namespace {

void UndoCreatedFolder(const UninstallLogEntry& entry) {
    // Only an empty folder goes: one that still holds something not of this run stays.
    if (const std::error_code failure = kernel::remove_folder(entry.path)) {
        NoteUndoFailure("Removing the folder", entry.path, failure);
    } else {
        NoteUndoStep("Folder removed", entry.path);
        platform::shell::change_notify(shcne::rmdir, entry.path);
    }
}

}  // namespace

void UninstallLog::CreateFolders(const fs::path& path) {
    // The root is never a candidate; each later component is, outermost first.
    (void)kernel::create_folders(path, [this](const fs::path& created) {
        platform::shell::change_notify(shcne::mkdir, created);
        UninstallLogEntry& entry = Append(UninstallLogEntry::Folder, created.string());
        entry.done = true;
        entry.undo = UndoCreatedFolder;
    });
}
