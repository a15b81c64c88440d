// Undoing a failed run from its recorded entries, newest first.
#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/file_operations.hpp"
#include "platform/registry/key.hpp"
#include "platform/shell/change_notify.hpp"
#include "security/scoped_privilege.hpp"
#include "startup/product_identity.hpp"
#include "uninstall_log/backups.hpp"
#include "uninstall_log/same_item.hpp"
#include "uninstall_log/uninstall_log.hpp"

namespace kernel = platform::kernel;
namespace shcne = platform::shell::shcne;
using platform::registry::Key;

namespace {

void UndoFolder(const UninstallLogEntry& entry) {
    // Only an empty folder goes: one that still holds something not of this run stays.
    if (!kernel::remove_folder(entry.path)) {
        platform::shell::change_notify(shcne::rmdir, entry.path);
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    const auto item = ExistingItem(a);
    return item && item == ExistingItem(b);
}

// `origin` is where the backup came from and goes back to: the file itself, or for a shortcut the
// previous installation's one, which may have had another name or folder.
void UndoFile(const UninstallLogEntry& entry, const std::string& origin) {
    const bool isPreviousFile = entry.keepsPreviousFile && !origin.empty() && SameFile(entry.path, origin);
    if (!entry.path.empty() && !isPreviousFile) {
        kernel::set_file_attributes(entry.path, kernel::file_attribute_normal);
        if (!kernel::delete_file(entry.path)) {
            platform::shell::change_notify(shcne::delete_item, entry.path);
        }
    }
    if (entry.backupPath.empty()) {
        return;
    }
    if (entry.keepsPreviousFile) {
        DiscardBackup(entry.backupPath);  // a copy of a file that never left
    } else if (!origin.empty() && RestoreBackup(entry.backupPath, origin)) {
        platform::shell::change_notify(shcne::create, origin);
    }
}

void UndoUninstallKey(const UninstallLogEntry& entry) {
    if (entry.keepsPreviousFile) {
        return;  // the key was there and could not be saved: deleting it would lose it
    }
    auto parent = Key::open(platform::registry::hive::local_machine, kUninstallKeyParent);
    if (!parent) {
        return;
    }
    if (entry.backupPath.empty()) {
        parent->delete_tree(kProductKey);
        return;
    }
    if (auto product = parent->open(kProductKey)) {
        security::ScopedPrivilege privilege("SeRestorePrivilege");
        product->restore(entry.backupPath);
    }
    DiscardBackup(entry.backupPath);
}

}  // namespace

void UninstallLog::Rollback() {
    DetachOpenChanges();  // their entries go now
    while (!entries.empty()) {
        const UninstallLogEntry& entry = entries.back();
        switch (entry.kind) {
            case UninstallLogEntry::Folder:
                UndoFolder(entry);
                break;
            case UninstallLogEntry::File:
                UndoFile(entry, entry.path);
                break;
            case UninstallLogEntry::StartMenuShortcut:
            case UninstallLogEntry::UninstallShortcut:
            case UninstallLogEntry::DesktopShortcut: {
                const UninstallLogEntry* previous = PreviousShortcut(previousEntries, entry.kind);
                UndoFile(entry, previous ? previous->path : std::string());
                break;
            }
            case UninstallLogEntry::UninstallKey:
                UndoUninstallKey(entry);
                break;
            default:
                break;  // a registration run and the DirectX setup are not undone
        }
        entries.pop_back();
    }
}
