// Decodes one block of a bzip2 stream on its own with libbz2: the block's bits are framed as a
// stream of a single block, whose stream CRC is the block's own CRC. The block decodes only when
// its bits end exactly where the block does, so a span cut at a marker that merely looks like
// one does not decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace payload {

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

class bzip2_block_decoder {
public:
    // Takes the decoded bytes piece by piece; returns false to abandon the block.
    using output_handler = std::function<bool(const char* bytes, std::size_t count)>;

    bzip2_block_decoder() = default;
    ~bzip2_block_decoder();
    bzip2_block_decoder(const bzip2_block_decoder&) = delete;
    bzip2_block_decoder& operator=(const bzip2_block_decoder&) = delete;

    // True when the block of a stream with block size `level` (1 to 9) decoded whole, its CRC
    // checked. Its bytes went to `output` as they came, also when the answer is false.
    bool decode(const bzip2_block_bits& block, int level, const output_handler& output);

private:
    static void* allocate(void* self, int count, int size);
    static void release(void* self, void* memory);

    // libbz2 allocates the same few large buffers for every block; they are kept for the next one.
    std::vector<std::pair<void*, std::size_t>> m_in_use;
    std::vector<std::pair<void*, std::size_t>> m_spare;
    std::vector<std::uint8_t> m_framed;
    std::vector<char> m_piece;
};

}  // namespace payload
