// Undoing a failed run: every change of this run, newest first, asked to undo itself.
#include "uninstall_log/uninstall_log.hpp"

void UninstallLog::Rollback() {
    DetachOpenChanges();  // their entries go now
    while (!entries.empty()) {
        const UninstallLogEntry& entry = entries.back();
        if (entry.undo) {
            try {
                entry.undo(entry);
            } catch (...) {
                // An undo that cannot even be attempted (out of memory) must not keep the older
                // changes from being undone.
            }
        }
        entries.pop_back();
    }
}
