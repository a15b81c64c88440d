#include "payload/bzip2_block_splitter.hpp"

#include "payload/bzip2_magic.hpp"

#include <algorithm>
#include <span>

namespace payload {

namespace {

constexpr std::uint64_t read_size = std::uint64_t{64} * 1024;
// A marker and the CRC after it belong to the block that starts there; no block ends inside them.
constexpr std::uint64_t block_head_bits = bzip2_magic_bits + bzip2_crc_bits;
constexpr std::uint64_t header_bytes = 4;
// A stream header and the marker after it.
constexpr std::uint64_t stream_opening_bytes = header_bytes + bzip2_magic_bits / 8;

std::optional<int> level_of_header(std::span<const std::uint8_t> header) {
    if (header.size() < header_bytes || header[0] != 'B' || header[1] != 'Z' || header[2] != 'h' || header[3] < '1' ||
        header[3] > '9') {
        return std::nullopt;
    }
    return header[3] - '0';
}

}  // namespace

bzip2_span bzip2_block_splitter::next() {
    while (m_ready.empty()) {
        if (m_state == state::done) {
            return bzip2_span{};
        }
        produce();
    }
    bzip2_span span = std::move(m_ready.front());
    m_ready.pop_front();
    return span;
}

void bzip2_block_splitter::produce() {
    if (m_state == state::stream_header) {
        read_stream_header();
    } else {
        scan_blocks();
    }
}

void bzip2_block_splitter::read_stream_header() {
    fill(m_stream_start + stream_opening_bytes);
    if (end_byte() == m_stream_start && m_source_ended) {
        emit(m_stream_seen ? bzip2_span::kind::input_end : bzip2_span::kind::unexpected);
        return;
    }
    if (!stream_starts_at(m_stream_start)) {
        emit(bzip2_span::kind::unexpected);
        return;
    }
    m_stream_seen = true;
    m_level = *level_of_header(std::span(m_buffer).subspan(m_stream_start - m_base));
    // A block and the reads around it fit without the buffer moving.
    m_buffer.reserve(static_cast<std::size_t>(longest_block_bytes(m_level) + 3 * read_size));
    const std::uint64_t first = (m_stream_start + header_bytes) * 8;
    m_in_block = false;
    if (read_bits(m_buffer, first - 8 * m_base, bzip2_magic_bits) == bzip2_end_magic) {
        reached_end_marker(first);
        return;
    }
    m_in_block = true;
    m_block_start = first;
    m_block_at_marker = true;
    m_scan_from = first + block_head_bits;
    m_state = state::blocks;
}

void bzip2_block_splitter::scan_blocks() {
    m_state = state::blocks;
    const auto hit = find_bzip2_magic(m_buffer, m_scan_from - 8 * m_base);
    if (!hit) {
        // Every start up to here was looked at.
        m_scan_from = std::max(m_scan_from, 8 * end_byte() - (bzip2_magic_bits - 1));
        if (m_source_ended || 8 * end_byte() - m_block_start > longest_block_bits(m_level)) {
            emit(bzip2_span::kind::unexpected);
            return;
        }
        fill(end_byte() + read_size);
        return;
    }
    const std::uint64_t at = hit->bit + 8 * m_base;
    if (hit->kind == bzip2_marker::end) {
        reached_end_marker(at);
        return;
    }
    emit_block(at);
    m_block_start = at;
    m_block_at_marker = true;
    m_scan_from = at + block_head_bits;
}

void bzip2_block_splitter::reached_end_marker(std::uint64_t bit) {
    const std::uint64_t after = (bit + block_head_bits + 7) / 8;  // where a next stream would start
    fill(after + stream_opening_bytes);
    const bool whole = end_byte() >= after;
    const bool source_ends = whole && end_byte() == after && m_source_ended;
    if (whole && (source_ends || stream_starts_at(after))) {
        if (m_in_block) {
            emit_block(bit);
        }
        bzip2_span end;
        end.what = bzip2_span::kind::stream_end;
        end.stream_crc =
            static_cast<std::uint32_t>(read_bits(m_buffer, bit + bzip2_magic_bits - 8 * m_base, bzip2_crc_bits));
        m_ready.push_back(std::move(end));
        m_in_block = false;
        m_stream_start = after;
        m_state = state::stream_header;
        drop_before(after);
        return;
    }
    // Not followed by what follows a stream: a boundary like any other, or damage.
    if (m_in_block) {
        emit_block(bit);
    }
    m_in_block = true;
    m_block_start = bit;
    m_block_at_marker = false;
    m_scan_from = bit + 1;
    m_state = state::blocks;
}

void bzip2_block_splitter::emit_block(std::uint64_t end_bit) {
    bzip2_span block;
    block.what = bzip2_span::kind::block;
    std::vector<std::uint8_t> storage = m_buffers != nullptr ? m_buffers->take() : std::vector<std::uint8_t>{};
    // Room for any block of this size, reserved but untouched: the buffer never moves (see
    // longest_block_bytes).
    storage.reserve(longest_block_bytes(m_level));
    block.bits = bzip2_block_bits::cut(m_buffer, m_block_start - 8 * m_base, end_bit - 8 * m_base, std::move(storage));
    block.level = m_level;
    block.at_block_marker = m_block_at_marker;
    m_ready.push_back(std::move(block));
    drop_before(end_bit / 8);
}

void bzip2_block_splitter::emit(bzip2_span::kind what) {
    bzip2_span span;
    span.what = what;
    m_ready.push_back(std::move(span));
    if (what != bzip2_span::kind::block && what != bzip2_span::kind::stream_end) {
        m_state = state::done;
        m_buffer.clear();
        m_buffer.shrink_to_fit();
    }
}

bool bzip2_block_splitter::fill(std::uint64_t until_byte) {
    while (end_byte() < until_byte && !m_source_ended) {
        const std::size_t old_size = m_buffer.size();
        const auto wanted = static_cast<std::size_t>(std::max(until_byte - end_byte(), read_size));
        m_buffer.resize(old_size + wanted);
        const std::streamsize got =
            m_source->sgetn(reinterpret_cast<char*>(m_buffer.data() + old_size), static_cast<std::streamsize>(wanted));
        m_buffer.resize(old_size + static_cast<std::size_t>(std::max<std::streamsize>(got, 0)));
        if (got <= 0) {
            m_source_ended = true;
        } else {
            m_bytes_read += static_cast<std::uint64_t>(got);
        }
    }
    return end_byte() >= until_byte;
}

bool bzip2_block_splitter::stream_starts_at(std::uint64_t byte) const {
    if (byte < m_base || end_byte() < byte + stream_opening_bytes) {
        return false;
    }
    const auto opening = std::span(m_buffer).subspan(byte - m_base, stream_opening_bytes);
    if (!level_of_header(opening)) {
        return false;
    }
    const std::uint64_t marker = read_bits(opening, 8 * header_bytes, bzip2_magic_bits);
    return marker == bzip2_block_magic || marker == bzip2_end_magic;
}

void bzip2_block_splitter::drop_before(std::uint64_t byte) {
    // Only in large steps, so that the bytes kept (those read past a block's end) are not moved
    // again and again.
    const std::uint64_t dead = std::min(byte, end_byte()) - m_base;
    if (dead >= read_size) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(dead));
        m_base += dead;
    }
}

}  // namespace payload
