// The diagnostic lines of backups and undo steps: what a rollback put back or took away, and every
// failure it skipped with the path and the system's text for the error, since a rollback itself
// reports nothing to the user.
#pragma once

#include <boost/filesystem/path.hpp>

#include <string_view>
#include <system_error>

// "<what>: <path>" once done.
void NoteUndoStep(std::string_view what, const boost::filesystem::path& path) noexcept;
// "<what> failed: <path>: <the system's text for the error>".
void NoteUndoFailure(std::string_view what, const boost::filesystem::path& path, const std::error_code& error) noexcept;
