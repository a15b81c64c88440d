// A folder the run creates: recorded once made, removed again by a rollback only while it is empty.
#include "platform/kernel/file_operations.hpp"
#include "platform/shell/change_notify.hpp"
#include "platform/shell/user_folders.hpp"
#include "platform/system/user_file_rights.hpp"
#include "uninstall_log/undo_notes.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/operations.hpp>

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
        if (WithFolderRights(candidate, [](const fs::path& path) { return kernel::create_folder(path); })) {
            return;
        }
        platform::shell::change_notify(shcne::mkdir, candidate);
        UninstallLogEntry& entry = Append(UninstallLogEntry::Folder, candidate.string());
        entry.done = true;
        entry.undo = UndoCreatedFolder;
    }
}
