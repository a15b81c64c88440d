// The product's Uninstall key: recorded before it is written, with a saved copy when it was there
// already; a rollback restores the copy, or deletes the key the run created.
#include "identity/product_identity.hpp"
#include "platform/registry/key.hpp"
#include "security/scoped_privilege.hpp"
#include "uninstall_log/backups.hpp"
#include "uninstall_log/undo_notes.hpp"
#include "uninstall_log/uninstall_log.hpp"

using platform::registry::Key;

namespace {

void UndoUninstallKey(const UninstallLogEntry& entry) {
    const std::string keyText = UninstallKeyLogText();
    auto parent = Key::open(platform::registry::hive::local_machine, kUninstallKeyParent);
    if (!parent) {
        NoteUndoFailure("Opening the registry key", kUninstallKeyParent, parent.error());
        return;
    }
    if (entry.backupPath.empty()) {
        if (const std::error_code failure = parent->delete_tree(kProductKey)) {
            NoteUndoFailure("Deleting the registry key", keyText, failure);
        } else {
            NoteUndoStep("Registry key deleted", keyText);
        }
        return;
    }
    auto product = parent->open(kProductKey);
    std::error_code failure = product ? std::error_code() : product.error();
    if (product) {
        security::ScopedPrivilege privilege("SeRestorePrivilege");
        failure = product->restore(entry.backupPath);
    }
    if (failure) {
        NoteUndoFailure("Restoring the registry key", keyText, failure);
    } else {
        NoteUndoStep("Registry key restored", keyText);
    }
    DiscardBackup(entry.backupPath);
}

}  // namespace

PendingChange UninstallLog::AddRegistryKey(const Key* existingKey) {
    std::string backup = existingKey ? SaveKeyBackup(*this, *existingKey) : std::string();
    UninstallLogEntry& entry = Append(UninstallLogEntry::UninstallKey);
    entry.undo = UndoUninstallKey;
    entry.backupPath = std::move(backup);
    return Open(entry);
}
