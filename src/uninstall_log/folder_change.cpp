// A folder the run creates: recorded once made, removed again by a rollback only while it is empty.
#include "platform/kernel/file_operations.hpp"
#include "platform/shell/change_notify.hpp"
#include "platform/shell/user_folders.hpp"
#include "platform/system/user_file_rights.hpp"
#include "uninstall_log/undo_notes.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <system_error>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;
namespace shcne = platform::shell::shcne;

namespace {

// A folder in the user's own folders is made and removed with the user's rights, so that it is theirs
// and no link they planted takes root's rights elsewhere.
template <class Operation>
std::error_code WithFolderRights(const fs::path& folder, Operation operation) {
    try {
        const platform::system::user_file_rights rights(platform::shell::in_user_folders(folder));
        return operation(folder);
    } catch (const std::system_error& refused) {
        return refused.code();
    }
}

void UndoCreatedFolder(const UninstallLogEntry& entry) {
    // Only an empty folder goes: one that still holds something not of this run stays.
    if (const std::error_code failure =
            WithFolderRights(entry.path, [](const fs::path& path) { return kernel::remove_folder(path); })) {
        NoteUndoFailure("Removing the folder", entry.path, failure);
    } else {
        NoteUndoStep("Folder removed", entry.path);
        platform::shell::change_notify(shcne::rmdir, entry.path);
    }
}

}  // namespace

void UninstallLog::CreateFolders(const fs::path& path) {
    // The root is never a candidate; each later component is, outermost first.
    // In the user's own folders they are made with the user's rights.
    (void)WithFolderRights(path, [this](const fs::path& folder) {
        return kernel::create_folders(folder, [this](const fs::path& created) {
            platform::shell::change_notify(shcne::mkdir, created);
            UninstallLogEntry& entry = Append(UninstallLogEntry::Folder, created.string());
            entry.done = true;
            entry.undo = UndoCreatedFolder;
        });
    });
}
