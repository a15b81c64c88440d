#include "uninstall_log/backups.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/file_operations.hpp"
#include "platform/kernel/temp_files.hpp"
#include "platform/registry/key.hpp"
#include "security/scoped_privilege.hpp"
#include "uninstall_log/undo_notes.hpp"

#include <boost/filesystem/operations.hpp>

#include <string_view>
#include <system_error>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;

namespace {

constexpr std::string_view kBackupPrefix = "vn";

// A folder of our own inside `parent`, removed with what is left in it.
class PrivateFolder {
public:
    explicit PrivateFolder(const fs::path& parent) {
        m_error = kernel::create_temp_folder(parent, kBackupPrefix, m_path);
    }
    ~PrivateFolder() {
        if (!m_error) {
            boost::system::error_code ignored;
            fs::remove_all(m_path, ignored);
        }
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    std::error_code error() const { return m_error; }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
    std::error_code m_error;
};

// Creates a new, empty file in the log's backup folder. Backups are never made in a folder that other
// accounts share: without a folder of the run's own there is no backup.
std::error_code TryReserveBackup(const UninstallLog& log, fs::path& backup) {
    if (log.backupFolder.empty()) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    return kernel::create_temp_file(log.backupFolder, kBackupPrefix, backup);
}

[[noreturn]] void FailBackup(std::string_view what, const fs::path& path, const std::error_code& failure) {
    NoteUndoFailure(what, path, failure);
    throw std::system_error(failure, "no backup of " + path.string());
}

}  // namespace

std::string UninstallLog::ReserveBackup() const {
    fs::path backup;
    if (const std::error_code failure = TryReserveBackup(*this, backup)) {
        FailBackup("Reserving a backup name", backupFolder, failure);
    }
    return backup.string();
}

std::string UninstallLog::MakeBackup(const fs::path& path, bool copy) const {
    fs::path backup;
    if (const std::error_code failure = TryReserveBackup(*this, backup)) {
        FailBackup("Backup", path, failure);
    }
    const std::uint32_t attributes = kernel::file_attributes(path);
    const bool attributesKnown = attributes != kernel::invalid_file_attributes;
    kernel::set_file_attributes(path, kernel::file_attribute_normal);
    const std::error_code failure =
        copy ? kernel::copy_file(path, backup, kernel::copy_option::overwrite)
             : kernel::move_file(path, backup,
                                 kernel::move_option::replace_existing | kernel::move_option::copy_allowed);
    if (failure) {
        if (attributesKnown) {
            kernel::set_file_attributes(path, attributes);
        }
        kernel::delete_file(backup);
        FailBackup("Backup", path, failure);
    }
    platform::diagnostics::note("Backup made: ", path, copy ? " copied to " : " moved to ", backup);
    if (attributesKnown) {
        if (copy) {
            kernel::set_file_attributes(path, attributes);
        }
        kernel::set_file_attributes(backup, attributes);
    }
    return backup.string();
}

std::string SaveKeyBackup(const UninstallLog& log, const platform::registry::Key& key) {
    const std::string backup = log.ReserveBackup();
    // A key is only ever saved to a new file, so it goes into a folder of its own and then over the
    // reserved name.
    std::error_code failure;
    {
        PrivateFolder folder(log.backupFolder);
        failure = folder.error();
        if (!failure) {
            const fs::path saved = folder.path() / "key";
            {
                security::ScopedPrivilege privilege("SeBackupPrivilege");
                failure = key.save(saved);
            }
            if (!failure) {
                failure = kernel::move_file(saved, backup, kernel::move_option::replace_existing);
            }
        }
    }
    if (failure) {
        DiscardBackup(backup);
        FailBackup("Registry key backup", backup, failure);
    }
    NoteUndoStep("Registry key backup made", backup);
    return backup;
}

bool RestoreBackup(const std::string& backup, const fs::path& target) {
    const std::uint32_t attributes = kernel::file_attributes(backup);
    kernel::set_file_attributes(backup, kernel::file_attribute_normal);
    const std::error_code failure = kernel::move_file(backup, target, kernel::move_option::copy_allowed);
    const bool moved = !failure;
    if (moved) {
        platform::diagnostics::note("Backup restored: ", target, " from ", backup);
    } else {
        NoteUndoFailure("Restoring the backup " + backup + " to", target, failure);
    }
    if (attributes != kernel::invalid_file_attributes) {
        kernel::set_file_attributes(moved ? fs::path(target) : fs::path(backup), attributes);
    }
    return moved;
}

void DiscardBackup(const std::string& backup) {
    kernel::set_file_attributes(backup, kernel::file_attribute_normal);
    if (const std::error_code failure = kernel::delete_file(backup)) {
        NoteUndoFailure("Discarding the backup", backup, failure);
    }
}

const UninstallLogEntry* PreviousShortcut(const std::list<UninstallLogEntry>& previousEntries, EntryKind kind) {
    for (const auto& entry : previousEntries) {
        if (entry.kind == kind) {
            return &entry;
        }
    }
    return nullptr;
}
