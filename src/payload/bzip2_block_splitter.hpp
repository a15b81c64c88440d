// Cuts a sequence of bzip2 streams into the spans between markers, reading its source as far as
// needed and no further than one block ahead. A span is a block only once it decodes: a marker
// found in the data may merely look like one. An end marker counts as a stream's end only when a
// new stream or the end of the source follows it; otherwise it is just another span boundary.
#pragma once

#include "payload/bzip2_block_format.hpp"
#include "payload/recycled_buffers.hpp"

#include <cstdint>
#include <deque>
#include <streambuf>
#include <vector>

namespace payload {

struct bzip2_span {
    enum class kind {
        block,       // the bits from one marker to the next
        stream_end,  // the end marker of a stream and its combined CRC
        input_end,   // the source ended right after a stream
        unexpected,  // anything else: not a stream, cut short, a span too long to be a block
    };
    kind what = kind::unexpected;
    bzip2_block_bits bits;         // block
    int level = 0;                 // block: the stream's block size, 1 to 9
    bool at_block_marker = false;  // block: starts at a block marker (else at an end marker)
    std::uint32_t stream_crc = 0;  // stream_end
};

class bzip2_block_splitter {
public:
    // The blocks' bits go into buffers taken from `buffers`, when given.
    explicit bzip2_block_splitter(std::streambuf& source, recycled_buffers<std::uint8_t>* buffers = nullptr)
        : m_source(&source), m_buffers(buffers) {}

    // The next span. After input_end or unexpected it answers unexpected again and reads nothing.
    bzip2_span next();

    std::uint64_t bytes_read() const { return m_bytes_read; }

private:
    enum class state { stream_header, blocks, done };

    void produce();
    void read_stream_header();
    void scan_blocks();
    void reached_end_marker(std::uint64_t bit);
    void emit_block(std::uint64_t end_bit);
    void emit(bzip2_span::kind what);
    bool fill(std::uint64_t until_byte);
    bool stream_starts_at(std::uint64_t byte) const;
    std::uint64_t end_byte() const { return m_base + m_buffer.size(); }
    void drop_before(std::uint64_t byte);

    std::streambuf* m_source;
    recycled_buffers<std::uint8_t>* m_buffers;
    bool m_source_ended = false;
    std::uint64_t m_bytes_read = 0;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_base = 0;  // the source's byte that m_buffer[0] holds
    std::deque<bzip2_span> m_ready;

    state m_state = state::stream_header;
    bool m_stream_seen = false;
    std::uint64_t m_stream_start = 0;  // byte
    int m_level = 0;
    bool m_in_block = false;
    std::uint64_t m_block_start = 0;  // bit
    bool m_block_at_marker = false;
    std::uint64_t m_scan_from = 0;  // bit
};

}  // namespace payload
