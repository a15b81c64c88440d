// Packs the manifest's files into the payload: the archive (index, then every file's bytes)
// compressed as one bzip2 stream whose first blocks are short (see ramped_bzip2_writer.hpp). The
// index comes first but needs every file's size and CRC-32, so each file is read twice, in blocks:
// nothing is ever held whole in memory.
#pragma once

#include "manifest.hpp"

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace vnpack {

struct pack_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct pack_summary {
    std::uint64_t archive_size = 0;  // uncompressed
    std::size_t entry_count = 0;
};

// Throws pack_error when a file cannot be read, changes while it is packed, or the output cannot be
// written.
pack_summary pack_archive(const std::vector<manifest_entry>& entries, std::ostream& compressed, int block_size = 9);

}  // namespace vnpack
