#include "payload/bzip2_block_decoder.hpp"

#include "payload/bzip2_magic.hpp"

#include <bzlib.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace payload {

namespace {

constexpr std::size_t piece_size = std::size_t{64} * 1024;
constexpr std::uint64_t stream_header = 0x425A6800;  // "BZh" and the block size digit

// Appends bits to a byte vector, most significant bit first.
class bit_appender {
public:
    explicit bit_appender(std::vector<std::uint8_t>& bytes) : m_bytes(&bytes) {}

    void put(std::uint64_t value, unsigned count) {
        for (unsigned i = count; i-- > 0;) {
            put_bit(static_cast<unsigned>(value >> i) & 1U);
        }
    }

    // `count` bits of `bytes` starting at bit `first` of bytes[0].
    void put_bits(const std::vector<std::uint8_t>& bytes, unsigned first, std::uint64_t count) {
        std::uint64_t done = 0;
        for (; done < count && (m_used % 8 != 0); ++done) {
            put_bit(bit_at(bytes, first + done));
        }
        // Whole output bytes at a time from here on.
        const std::uint64_t whole = (count - done) / 8;
        const std::uint64_t start = first + done;
        const unsigned shift = static_cast<unsigned>(start % 8);
        const std::size_t from = static_cast<std::size_t>(start / 8);
        m_bytes->reserve(m_bytes->size() + whole + 16);
        for (std::uint64_t i = 0; i < whole; ++i) {
            const unsigned high = bytes[from + i];
            const unsigned low = shift == 0 ? 0U : bytes[from + i + 1];
            m_bytes->push_back(static_cast<std::uint8_t>((high << shift) | (low >> (8 - shift))));
        }
        m_used += 8 * whole;
        for (done += 8 * whole; done < count; ++done) {
            put_bit(bit_at(bytes, first + done));
        }
    }

private:
    static unsigned bit_at(const std::vector<std::uint8_t>& bytes, std::uint64_t bit) {
        return (bytes[static_cast<std::size_t>(bit / 8)] >> (7 - bit % 8)) & 1U;
    }

    void put_bit(unsigned bit) {
        if (m_used % 8 == 0) {
            m_bytes->push_back(0);
        }
        m_bytes->back() = static_cast<std::uint8_t>(m_bytes->back() | (bit << (7 - m_used % 8)));
        ++m_used;
    }

    std::vector<std::uint8_t>* m_bytes;
    std::uint64_t m_used = 0;
};

}  // namespace

bzip2_block_decoder::~bzip2_block_decoder() {
    for (const auto& [memory, size] : m_spare) {
        std::free(memory);
    }
    for (const auto& [memory, size] : m_in_use) {
        std::free(memory);
    }
}

void* bzip2_block_decoder::allocate(void* self, int count, int size) {
    auto& decoder = *static_cast<bzip2_block_decoder*>(self);
    const std::size_t bytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(size);
    const auto spare = std::find_if(decoder.m_spare.begin(), decoder.m_spare.end(),
                                    [bytes](const auto& entry) { return entry.second == bytes; });
    void* memory = nullptr;
    if (spare != decoder.m_spare.end()) {
        memory = spare->first;
        decoder.m_spare.erase(spare);
    } else {
        memory = std::malloc(bytes);
        if (memory == nullptr) {
            return nullptr;
        }
    }
    decoder.m_in_use.emplace_back(memory, bytes);
    return memory;
}

void bzip2_block_decoder::release(void* self, void* memory) {
    auto& decoder = *static_cast<bzip2_block_decoder*>(self);
    const auto used = std::find_if(decoder.m_in_use.begin(), decoder.m_in_use.end(),
                                   [memory](const auto& entry) { return entry.first == memory; });
    if (used == decoder.m_in_use.end()) {
        std::free(memory);
        return;
    }
    decoder.m_spare.push_back(*used);
    decoder.m_in_use.erase(used);
}

bool bzip2_block_decoder::decode(const bzip2_block_bits& block, int level, const output_handler& output) {
    if (level < 1 || level > 9 || block.bit_count < bzip2_magic_bits + bzip2_crc_bits) {
        return false;
    }
    m_framed.clear();
    // Any block with the stream's header and end around it, so that the buffer never moves.
    constexpr std::size_t framing_bytes = 32;
    m_framed.reserve(std::max(static_cast<std::size_t>(longest_block_bytes(level)), block.bytes.size()) +
                     framing_bytes);
    bit_appender framed(m_framed);
    framed.put(stream_header | static_cast<unsigned>('0' + level), 32);
    framed.put_bits(block.bytes, block.first_bit, block.bit_count);
    framed.put(bzip2_end_magic, bzip2_magic_bits);
    framed.put(block.stored_crc(), bzip2_crc_bits);
    m_piece.resize(piece_size);

    bz_stream stream{};
    stream.bzalloc = &bzip2_block_decoder::allocate;
    stream.bzfree = &bzip2_block_decoder::release;
    stream.opaque = this;
    if (const int init = BZ2_bzDecompressInit(&stream, 0, 0); init != BZ_OK) {
        if (init == BZ_MEM_ERROR) {
            throw std::bad_alloc();
        }
        throw std::logic_error("libbz2 refused its own settings");
    }
    struct ender {
        bz_stream* stream;
        ~ender() { BZ2_bzDecompressEnd(stream); }
    } end_stream{&stream};

    stream.next_in = reinterpret_cast<char*>(m_framed.data());
    stream.avail_in = static_cast<unsigned>(m_framed.size());
    while (true) {
        stream.next_out = m_piece.data();
        stream.avail_out = static_cast<unsigned>(m_piece.size());
        const int result = BZ2_bzDecompress(&stream);
        const std::size_t produced = m_piece.size() - stream.avail_out;
        if (produced > 0 && !output(m_piece.data(), produced)) {
            return false;
        }
        if (result == BZ_STREAM_END) {
            // Bits left over mean the block ended before the span did.
            return stream.avail_in == 0;
        }
        if (result == BZ_MEM_ERROR) {
            throw std::bad_alloc();
        }
        if (result != BZ_OK || (stream.avail_in == 0 && produced == 0)) {
            return false;
        }
    }
}

}  // namespace payload
