#include "uninstall_log/undo_notes.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"

namespace diagnostics = platform::diagnostics;

void NoteUndoStep(std::string_view what, const boost::filesystem::path& path) noexcept {
    diagnostics::note(what, ": ", path);
}

void NoteUndoFailure(std::string_view what, const boost::filesystem::path& path,
                     const std::error_code& error) noexcept {
    if (!diagnostics::log_open()) {
        return;
    }
    try {
        diagnostics::note(what, " failed: ", path, ": ", error ? error.message() : std::string("unknown error"));
    } catch (...) {
        // The error's text could not be made (out of memory): the line is lost, the rollback goes on.
    }
}
