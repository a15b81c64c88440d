// Writing the payload archive format: the header and index, and whole archives of files held in
// memory. The byte writer is public so that tests can make archives the packer never would.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vnpack {

// Appends little-endian fields.
class archive_bytes {
public:
    archive_bytes& u32(std::uint32_t value);
    archive_bytes& u64(std::uint64_t value);
    // A 32-bit count of UTF-16 code units, then the units; throws when `utf8` is not UTF-8.
    archive_bytes& text(std::string_view utf8);
    // UTF-16 units as they are, well-formed or not.
    archive_bytes& units(std::u16string_view text);
    archive_bytes& raw(std::string_view bytes);

    const std::string& str() const { return m_bytes; }

private:
    std::string m_bytes;
};

struct index_entry {
    std::string source_path;  // UTF-8; only its last element names the installed file
    std::string folder;       // UTF-8 folder text, e.g. "<InstallPath>\Lang"
    std::uint32_t kind = 0;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
};

// The header and index for these entries.
std::string encode_index(const std::vector<index_entry>& entries);

struct memory_file {
    std::string source_path;
    std::string folder;
    std::uint32_t kind = 0;
    std::string content;
};

// A whole uncompressed archive.
std::string build_archive(const std::vector<memory_file>& files);

// The CRC-32 the archive index carries (IEEE 802.3, as zlib).
std::uint32_t crc32_of(std::string_view bytes);

// One bzip2 stream of `data`; block_size 1 to 9 (hundreds of kilobytes).
std::string bzip2_compress(std::string_view data, int block_size = 9);

}  // namespace vnpack
