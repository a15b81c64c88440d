// The product's Uninstall key: recorded before it is written, with a saved copy when it was there
// already; a rollback restores the copy, or deletes the key the run created.
#include "platform/registry/key.hpp"
#include "security/scoped_privilege.hpp"
#include "startup/product_identity.hpp"
#include "uninstall_log/backups.hpp"
#include "uninstall_log/uninstall_log.hpp"

using platform::registry::Key;

namespace {

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

PendingChange UninstallLog::AddRegistryKey(const Key* existingKey) {
    UninstallLogEntry& entry = Append(UninstallLogEntry::UninstallKey);
    entry.undo = UndoUninstallKey;
    PendingChange change = Open(entry);
    if (existingKey) {
        entry.backupPath = SaveKeyBackup(*existingKey);
        // Without a saved copy the key must survive a rollback as it is, not be deleted.
        entry.keepsPreviousFile = entry.backupPath.empty();
    }
    return change;
}
