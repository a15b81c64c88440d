#include "uninstall_log/backups.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/file_operations.hpp"
#include "platform/kernel/temp_files.hpp"
#include "platform/registry/key.hpp"
#include "platform/system/system_paths.hpp"
#include "security/scoped_privilege.hpp"
#include "uninstall_log/undo_notes.hpp"

#include <boost/filesystem/operations.hpp>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;

namespace {

constexpr std::string_view kBackupPrefix = "vn";

// A folder of our own in the temporary folder, removed with what is left in it.
class PrivateTempFolder {
public:
    PrivateTempFolder() {
        m_error = kernel::create_temp_folder(platform::system::temp_folder(), kBackupPrefix, m_path);
    }
    ~PrivateTempFolder() {
        if (!m_error) {
            boost::system::error_code ignored;
            fs::remove_all(m_path, ignored);
        }
    }
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    std::error_code error() const { return m_error; }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
    std::error_code m_error;
};

}  // namespace

std::string UninstallLog::MakeBackup(const fs::path* path, bool copy) {
    const fs::path folder = platform::system::temp_folder();
    fs::path backup;
    // The name stays taken by this empty file until the backup replaces it: deleting it first would
    // leave a free name in a shared folder for anyone to plant a link under.
    const std::error_code reserved = folder.empty() ? std::make_error_code(std::errc::no_such_file_or_directory)
                                                    : kernel::create_temp_file(folder, kBackupPrefix, backup);
    if (reserved) {
        NoteUndoFailure(path ? "Backup" : "Reserving a backup name", path ? *path : folder, reserved);
        return {};
    }
    if (!path) {
        return backup.string();
    }

    const std::uint32_t attributes = kernel::file_attributes(*path);
    const bool attributesKnown = attributes != kernel::invalid_file_attributes;
    kernel::set_file_attributes(*path, kernel::file_attribute_normal);
    const std::error_code failure =
        copy ? kernel::copy_file(*path, backup, kernel::copy_option::overwrite)
             : kernel::move_file(*path, backup,
                                 kernel::move_option::replace_existing | kernel::move_option::copy_allowed);
    if (failure) {
        NoteUndoFailure("Backup", *path, failure);
        if (attributesKnown) {
            kernel::set_file_attributes(*path, attributes);
        }
        kernel::delete_file(backup);
        return {};
    }
    platform::diagnostics::note("Backup made: ", *path, copy ? " copied to " : " moved to ", backup);
    if (attributesKnown) {
        if (copy) {
            kernel::set_file_attributes(*path, attributes);
        }
        kernel::set_file_attributes(backup, attributes);
    }
    return backup.string();
}

std::string SaveKeyBackup(const platform::registry::Key& key) {
    std::string backup = UninstallLog::MakeBackup(nullptr, false);
    if (backup.empty()) {
        return {};
    }
    // A key is only ever saved to a new file, so it goes into a folder no one else can write to and
    // then over the reserved name.
    std::error_code failure;
    {
        PrivateTempFolder folder;
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
        NoteUndoFailure("Registry key backup", backup, failure);
        DiscardBackup(backup);
        return {};
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
