// What a bzip2 block is, as the splitter that cuts blocks out and the decoder that decodes them both
// see it: the block's bits, cut at any bit, and how long a block of a given block size can be.
// Nothing here reads a source or decodes; a span too short to hold a CRC has none (0).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace payload {

// A CRC as a stream stores it: a block's after its marker, the stream's after the end marker.
inline constexpr unsigned bzip2_crc_bits = 32;

// The bits of one block, from its marker to the bit before the next marker.
struct bzip2_block_bits {
    std::vector<std::uint8_t> bytes;  // from the byte holding the first bit to the one holding the last
    unsigned first_bit = 0;           // within bytes[0], counted from the most significant bit
    std::uint64_t bit_count = 0;

    // Bits [begin, end) of `source`, where bit 0 is the most significant bit of source[0], copied
    // into `storage`.
    static bzip2_block_bits cut(std::span<const std::uint8_t> source, std::uint64_t begin, std::uint64_t end,
                                std::vector<std::uint8_t> storage = {});

    // Appends `next`, which starts at the bit where this one ends.
    void append(const bzip2_block_bits& next);

    // The block CRC stored after the marker; 0 when the bits are too few to hold it.
    std::uint32_t stored_crc() const;
};

// More bits than any block of block size `level` (1 to 9) can take in practice.
std::uint64_t longest_block_bits(int level);
// Those bits in bytes, as buffers reserve them. A buffer that grows moves and holds two copies for a
// moment, and one that grows with the largest block met makes the memory follow the payload's
// length; a reservation is address space, not memory, until it is written.
std::uint64_t longest_block_bytes(int level);

}  // namespace payload
