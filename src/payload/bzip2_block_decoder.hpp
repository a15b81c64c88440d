// Decodes one block of a bzip2 stream on its own with libbz2: the block's bits are framed as a
// stream of a single block, whose stream CRC is the block's own CRC. The block decodes only when
// its bits end exactly where the block does, so a span cut at a marker that merely looks like
// one does not decode.
#pragma once

#include "payload/bzip2_block_format.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace payload {

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
