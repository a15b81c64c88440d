// Undoing an installation from its uninstall log ("Uninstall.ulog" beside the uninstaller): every
// entry is undone newest first, so files go before the folders created for them. Files, shortcuts
// and empty created folders are removed, the product's Uninstall key deleted, the document type
// unregistered; the shared DirectX runtime stays. Nothing is restored: what the installation
// replaced went with its backups. The log and the uninstaller itself go last, then the folders that
// only they kept from being empty, and the installed-program value when it names this installation.
//
// With a valid installation record a file is removed only when it is still as the installation wrote
// it: one changed since (size, CRC-32 or modification time) or one that was there before the
// installation is kept and listed, and the registry keys the installation created on the way to its
// own are removed once nothing is left in them. Without a valid record, and for files the record does
// not know, every listed file goes as the log lists it, and the report says the record was not used.
#pragma once

#include "uninstall_log/installation_record.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/path.hpp>

#include <functional>
#include <string>
#include <vector>

namespace quillon {

inline constexpr const char* uninstall_log_name = "Uninstall.ulog";
inline constexpr const char* uninstall_key_path = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon 7";
inline constexpr const char* publisher_key_path = "Software\\Vintrel";
inline constexpr const char* installed_program_value = "Quillon 7 Path";

enum class kept_reason {
    changed,            // changed since the installation wrote it
    preexisting,        // there before the installation, which kept it
    holds_other_files,  // a folder holding files the installation did not write
    shared_component,   // a system component other programs use
};

struct kept_item {
    std::string what;
    kept_reason reason;
};

struct uninstall_report {
    std::vector<std::string> removed;           // what is gone now
    std::vector<kept_item> kept;                // left in place on purpose
    std::vector<std::string> failures;          // what could not be removed, and why
    RecordState record = RecordState::missing;  // the installation record, as it was found
    std::size_t unjudged_files = 0;             // files removed as listed, without a record to check them

    bool complete() const { return failures.empty(); }
};

// English for the console: the item and why it was kept.
std::string kept_text(const kept_item& item);
// English for the console: why files went without being checked against the record.
std::string record_state_text(RecordState state);

// Undoes the log's entries. `uninstaller` is the uninstaller's own file, deleted with the log at the
// end; `log_file` the log already read into `log`; `record` the installation record read beside it.
// `progress`, when given, hears after each entry how many of how many are done.
uninstall_report undo_installation(const UninstallLog& log, const boost::filesystem::path& log_file,
                                   const boost::filesystem::path& uninstaller, const ReadRecord& record,
                                   const std::function<void(std::size_t, std::size_t)>& progress = {});

}  // namespace quillon
