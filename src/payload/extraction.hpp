// The extraction: the one operation that puts every payload file in place. It decompresses the
// payload into an archive writer whose target resolves the folder tokens and writes real files,
// checks every file by reading it back, and reports each step through the caller's notification
// function. Every failure ends it with exactly one `failed` notification.
#pragma once

#include "payload/archive_entry.hpp"
#include "payload/archive_target.hpp"
#include "payload/notification.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <exception>
#include <istream>
#include <system_error>
#include <vector>

namespace payload {

struct extract_settings {
    boost::filesystem::path install_folder;  // "<InstallPath>"
    boost::filesystem::path sample_folder;   // "<SamplePath>": relative, absolute, or empty
    boost::filesystem::path temp_folder;     // "<Temporary>"; empty means the install folder
    notify_function on_notify;               // required
    // Kinds the index must hold at least one entry of; an archive without them is refused as
    // malformed before anything is written (an installation needs its program and its uninstaller).
    std::vector<entry_kind> required_kinds;
};

// The target that writes the installation's files on this machine.
class file_archive_target : public archive_target {
public:
    boost::filesystem::path resolve_folder(const std::string& folder_text, const archive_folders& folders,
                                           access_folder_list& access) override;
    std::unique_ptr<std::ostream> open_entry_output(const archive_entry& entry, access_folder_list& access) override;
    std::uint32_t stored_crc32(const archive_entry& entry) override;
};

// Sends `started`, extracts the payload from `source` (positioned at its start), and sends
// `finished` and answers true when every entry was handled and the archive was complete. Otherwise
// sends one `failed` with the error code and path of the failure and answers false; what was
// written stays on disk for the caller to undo. Throws std::invalid_argument without on_notify.
bool extract_payload(std::istream& source, const extract_settings& settings);

// The error code a failure is reported with: Win32 codes for what the operating system refused,
// errno values in the generic category, compress codes for the archive's own failures, compress 7
// for anything else.
std::error_code failure_code(std::exception_ptr failure);

// The path a failure names by itself (file-system errors), else empty.
boost::filesystem::path failure_path(std::exception_ptr failure);

}  // namespace payload
