// The backups a recorded change leaves in the run's private backup folder, and how they are saved, put back and
// discarded. UninstallLog::MakeBackup makes the file backups.
#pragma once

#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/path.hpp>

#include <list>
#include <string>

namespace platform::registry {
class Key;
}

// Saves the key with everything below it into a new backup file of the log's backup folder; its
// path. Throws std::system_error when the key cannot be saved (no file is left behind then).
std::string SaveKeyBackup(const UninstallLog& log, const platform::registry::Key& key);

// Moves a backup back to `target` (which must be free) with the attributes the backup carried.
// False when it could not be moved; the backup then stays where it is.
bool RestoreBackup(const std::string& backup, const boost::filesystem::path& target);

// Deletes a backup that is no longer needed, read-only or not.
void DiscardBackup(const std::string& backup);

// The previous installation's shortcut of a kind (its first entry of that kind), where a new
// shortcut's backup comes from; null when it had none.
const UninstallLogEntry* PreviousShortcut(const std::list<UninstallLogEntry>& previousEntries, EntryKind kind);
