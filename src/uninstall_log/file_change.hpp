// A file the run writes, and how a rollback takes it back: the file goes unless it is still the one
// from before the run, and what was put aside for it returns to where it came from.
#pragma once

#include "uninstall_log/uninstall_log.hpp"

#include <string>

// `origin` is where the entry's backup came from and goes back to: the file itself, or for a shortcut
// the previous installation's one, which may have had another name or folder (empty: none).
void UndoWrittenFile(const UninstallLogEntry& entry, const std::string& origin);
