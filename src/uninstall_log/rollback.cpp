// Undoing a failed run: every change of this run, newest first, asked to undo itself.
#include "platform/diagnostics/diagnostic_log.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <cassert>

namespace {

template <typename Undo>
void Attempt(const Undo& undo) noexcept {
    try {
        undo();
    } catch (...) {
        // An undo that cannot even be attempted (out of memory) must not keep the older changes from
        // being undone.
    }
}

}  // namespace

void UninstallLog::Rollback() {
    if (m_committed) {
        assert(!"a committed installation cannot be rolled back");
        platform::diagnostics::note("Rollback refused: the installation was already committed");
        return;
    }
    DetachOpenChanges();  // their entries go now
    while (!entries.empty() || !m_unlisted.empty()) {
        // An unlisted change recorded after the newest entry is the newer one.
        if (!m_unlisted.empty() && m_unlisted.back().entriesBefore >= entries.size()) {
            Attempt(m_unlisted.back().undo);
            m_unlisted.pop_back();
            continue;
        }
        const UninstallLogEntry& entry = entries.back();
        if (entry.undo) {
            Attempt([&entry] { entry.undo(entry); });
        }
        entries.pop_back();
    }
}
