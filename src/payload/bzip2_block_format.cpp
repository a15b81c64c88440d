#include "payload/bzip2_block_format.hpp"

#include "payload/bzip2_magic.hpp"

#include <utility>

namespace payload {

bzip2_block_bits bzip2_block_bits::cut(std::span<const std::uint8_t> source, std::uint64_t begin, std::uint64_t end,
                                       std::vector<std::uint8_t> storage) {
    bzip2_block_bits bits;
    bits.bytes = std::move(storage);
    const auto first_byte = static_cast<std::size_t>(begin / 8);
    const auto end_byte = static_cast<std::size_t>((end + 7) / 8);
    bits.bytes.assign(source.begin() + static_cast<std::ptrdiff_t>(first_byte),
                      source.begin() + static_cast<std::ptrdiff_t>(end_byte));
    bits.first_bit = static_cast<unsigned>(begin % 8);
    bits.bit_count = end - begin;
    return bits;
}

void bzip2_block_bits::append(const bzip2_block_bits& next) {
    // The byte that holds this block's end is next's first byte, which has both halves.
    const std::uint64_t end = first_bit + bit_count;
    bytes.resize(static_cast<std::size_t>(end / 8));
    bytes.insert(bytes.end(), next.bytes.begin(), next.bytes.end());
    bit_count += next.bit_count;
}

std::uint32_t bzip2_block_bits::stored_crc() const {
    if (bit_count < bzip2_magic_bits + bzip2_crc_bits) {
        return 0;
    }
    return static_cast<std::uint32_t>(read_bits(bytes, first_bit + bzip2_magic_bits, bzip2_crc_bits));
}

std::uint64_t longest_block_bits(int level) {
    // Every symbol of a full block at the longest code length, with room for the tables.
    return (static_cast<std::uint64_t>(level) * 100000 + 2) * 20 + 400000;
}

std::uint64_t longest_block_bytes(int level) {
    return longest_block_bits(level) / 8 + 2;
}

}  // namespace payload
