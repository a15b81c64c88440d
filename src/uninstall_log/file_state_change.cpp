// A file a step changes without a log entry of its own (the log file itself, the files of the
// registration run): copied aside as it was, and given back by a rollback, or deleted with the folders
// made on its way when it was not there. Also a whole folder tree the run makes from nothing.
#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/file_operations.hpp"
#include "uninstall_log/backups.hpp"
#include "uninstall_log/undo_notes.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/operations.hpp>

#include <vector>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;

namespace {

// The folders of the path that do not exist, outermost first.
std::vector<fs::path> MissingFolders(const fs::path& folder) {
    std::vector<fs::path> missing;
    boost::system::error_code error;
    for (fs::path candidate = folder; !candidate.empty() && candidate != candidate.root_path();
         candidate = candidate.parent_path()) {
        if (fs::symlink_status(candidate, error).type() != fs::file_not_found) {
            break;
        }
        missing.insert(missing.begin(), candidate);
    }
    return missing;
}

}  // namespace

void UninstallLog::RecordFileState(const fs::path& path) {
    boost::system::error_code error;
    const fs::file_type type = fs::symlink_status(path, error).type();
    if (type == fs::directory_file) {
        return;  // nothing writes a file over a folder
    }
    std::string backup = type != fs::file_not_found ? MakeBackup(path, true) : std::string();
    std::vector<fs::path> createdFolders = MissingFolders(path.parent_path());
    RecordUnlisted(
        [path, backup, createdFolders = std::move(createdFolders)] {
            kernel::set_file_attributes(path, kernel::file_attribute_normal);
            const std::error_code failure = kernel::delete_file(path);
            boost::system::error_code ignored;
            const bool gone = fs::symlink_status(path, ignored).type() == fs::file_not_found;
            if (failure && !gone) {
                NoteUndoFailure("Deleting the file", path, failure);
            } else if (!failure) {
                NoteUndoStep("File deleted", path);
            }
            if (!backup.empty()) {
                RestoreBackup(backup, path);
            }
            for (auto folder = createdFolders.rbegin(); folder != createdFolders.rend(); ++folder) {
                (void)kernel::remove_folder(*folder);
            }
        },
        backup);
}

void UninstallLog::RecordNewFolderTree(const fs::path& folder) {
    boost::system::error_code error;
    if (fs::symlink_status(folder, error).type() != fs::file_not_found) {
        return;
    }
    RecordUnlisted([folder] {
        boost::system::error_code error;
        fs::remove_all(folder, error);
        if (error) {
            NoteUndoFailure("Removing the folder tree", folder,
                            std::error_code(error.value(), std::generic_category()));
        } else {
            NoteUndoStep("Folder tree removed", folder);
        }
    });
}
