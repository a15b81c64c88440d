// Undoing an installation from its uninstall log ("Uninstall.ulog" beside the uninstaller): every
// entry is undone newest first, so files go before the folders created for them. Files, shortcuts
// and empty created folders are removed, the product's Uninstall key deleted, the document type
// unregistered; the shared DirectX runtime stays. Nothing is restored: what the installation
// replaced went with its backups. The log and the uninstaller itself go last, then the folders that
// only they kept from being empty, and the installed-program value when it names this installation.
#pragma once

#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/path.hpp>

#include <string>
#include <vector>

namespace quillon {

inline constexpr const char* uninstall_log_name = "Uninstall.ulog";
inline constexpr const char* uninstall_key_path = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon 7";
inline constexpr const char* publisher_key_path = "Software\\Vintrel";
inline constexpr const char* installed_program_value = "Quillon 7 Path";

struct uninstall_report {
    std::vector<std::string> removed;   // what is gone now
    std::vector<std::string> kept;      // left in place on purpose (a folder holding other files, ...)
    std::vector<std::string> failures;  // what could not be removed, and why

    bool complete() const { return failures.empty(); }
};

// Undoes the log's entries. `uninstaller` is the uninstaller's own file, deleted with the log at the
// end; `log_file` the log already read into `log`.
uninstall_report undo_installation(const UninstallLog& log, const boost::filesystem::path& log_file,
                                   const boost::filesystem::path& uninstaller);

}  // namespace quillon
