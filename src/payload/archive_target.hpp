// Where an archive writer's entries go. The writer parses the archive and keeps count; the target
// decides what a folder text means on this machine and where an entry's bytes are stored. The
// installation's target resolves folder tokens and writes real files; tests and the fuzz target
// keep entries in memory.
#pragma once

#include "payload/archive_entry.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace payload {

// The folders that the folder tokens which do not come from the shell stand for.
struct archive_folders {
    boost::filesystem::path install_folder;  // "<InstallPath>"
    boost::filesystem::path sample_folder;   // "<SamplePath>"
    boost::filesystem::path temp_folder;     // "<Temporary>"
};

// A folder whose access rights must be opened once it exists; done once that has been tried.
struct access_folder {
    boost::filesystem::path folder;
    bool done = false;
};

using access_folder_list = std::vector<access_folder>;

class archive_target {
public:
    virtual ~archive_target() = default;

    // The real folder for an entry's folder text, which has passed check_entry_path. May record
    // folders in `access`. Throws to refuse it.
    virtual boost::filesystem::path resolve_folder(const std::string& folder_text, const archive_folders& folders,
                                                   access_folder_list& access) = 0;

    // A new stream for the entry's bytes. A stream in a failed state counts as a failed opening.
    virtual std::unique_ptr<std::ostream> open_entry_output(const archive_entry& entry, access_folder_list& access) = 0;

    // The CRC-32 of what is stored for the entry, read back after its stream has been released.
    virtual std::uint32_t stored_crc32(const archive_entry& entry) = 0;
};

}  // namespace payload
