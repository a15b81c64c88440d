// One entry of the payload archive's index.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <string>

namespace payload {

// What the entry is; the archive only carries the value, the installation decides what it means.
enum class entry_kind : std::uint32_t {
    program_file = 0,  // an ordinary product file
    main_program = 1,
    uninstaller = 2,
    shared_data = 3,  // left alone when already present
    sample_data = 4,  // not rewritten on an update
    temporary = 5,    // needed only while installing, goes to the working folder
};

struct archive_entry {
    std::string source_name;              // the path on the machine that built the archive
    boost::filesystem::path destination;  // the full path the file is written to
    entry_kind kind = entry_kind::program_file;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;  // CRC-32 (IEEE 802.3, as zlib) of the file's bytes
};

}  // namespace payload
