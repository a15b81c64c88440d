// The archive's header and index. Little-endian, no padding, texts as UTF-16LE with a 32-bit count
// of code units:
//
//   u64 index_size   bytes from the start of the archive to the first file byte (counts itself)
//   u32 entry_count
//   entry_count times:
//     u32 source_length, source_path, u32 folder_length, folder, u32 kind, u64 size, u32 crc
//
// The files' bytes follow at index_size, in index order, with nothing after the last one.
#pragma once

#include "payload/archive_entry.hpp"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace payload {

inline constexpr std::size_t index_size_width = 8;
inline constexpr std::size_t index_header_size = index_size_width + 4;
// An entry with two empty texts.
inline constexpr std::size_t min_index_entry_size = 4 + 4 + 4 + 8 + 4;
// The index is held in memory, so its size is bounded well above any real one (a few hundred
// bytes per entry) to keep a damaged header from asking for gigabytes.
inline constexpr std::uint64_t max_index_size = std::uint64_t{16} << 20;

// An entry as the index states it; the destination is still to be made from the folder text.
struct index_record {
    archive_entry entry;
    std::string folder_text;
};

// Throws compress error 7 when the header's index_size cannot describe an index.
void check_index_size(std::uint64_t index_size);

// Parses a whole index (index_size bytes, from the start of the archive). Every count and length
// is checked against the bytes left before anything is allocated for it; an index that does not
// fit, or a text that is not well-formed UTF-16, throws compress error 7.
std::vector<index_record> parse_archive_index(std::span<const char> index);

// Throws compress error 7 when two entries have the same destination once "." and ".." are cleared
// away: the later file would silently replace the earlier one (a data file named like the main
// program would replace the program). Names are compared exactly, as this file system does.
void check_distinct_destinations(const std::vector<archive_entry>& entries);

}  // namespace payload
