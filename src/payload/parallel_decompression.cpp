#include "payload/parallel_decompression.hpp"

#include "payload/block_decoding_pool.hpp"
#include "payload/bzip2_block_decoder.hpp"
#include "payload/bzip2_block_splitter.hpp"
#include "payload/held_back_delivery.hpp"
#include "payload/recycled_buffers.hpp"
#include "payload/sequential_decompression.hpp"

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <stdexcept>
#include <streambuf>

namespace payload {

namespace {

// More than the sequential pipeline can hold in its buffers when it fails.
constexpr std::size_t held_back_bytes = std::size_t{64} * 1024;
// Blocks of ordinary data decode to about their block size; one that runs far beyond is decoded
// again when its turn comes rather than held whole.
constexpr std::size_t kept_output_limit = std::size_t{2} * 1024 * 1024;
// Blocks read ahead: one for each worker and one more, so that a worker finds the next one ready.
// With the block being delivered that makes about two per worker, compressed and decoded.
constexpr std::size_t blocks_read_ahead_beyond_workers = 1;
// More than are ever in use at once: a block's buffer freed and another allocated lets the heap
// spread over the payload's length.
constexpr std::size_t spare_buffers = 64;

std::uint32_t combine_crc(std::uint32_t combined, std::uint32_t block) {
    return ((combined << 1) | (combined >> 31)) ^ block;
}

struct pending_span {
    bzip2_span span;
    std::shared_ptr<block_task> task;  // block: its decoding
};

class parallel_decompression {
public:
    parallel_decompression(std::streambuf& source, const block_sink& sink, block_decoding_pool& pool,
                           recycled_buffers<char>& outputs)
        : m_bits_buffers(spare_buffers),
          m_splitter(source, &m_bits_buffers),
          m_delivery(sink, held_back_bytes, outputs),
          m_pool(&pool),
          m_in_flight_limit(pool.workers() + blocks_read_ahead_beyond_workers) {}

    // The number of compressed bytes read when the source decoded whole; nothing when it did not, and
    // then delivered() bytes went to the sink.
    std::optional<std::uint64_t> run() {
        std::uint32_t combined = 0;
        while (true) {
            read_ahead();
            pending_span current = take_next();
            switch (current.span.what) {
                case bzip2_span::kind::block: {
                    m_pool->wait(*current.task);
                    if (current.task->result == block_task::outcome::failed && !extend(current)) {
                        return std::nullopt;
                    }
                    deliver(*current.task);
                    combined = combine_crc(combined, current.task->bits.stored_crc());
                    m_bits_buffers.give_back(std::move(current.task->bits.bytes));
                    break;
                }
                case bzip2_span::kind::stream_end:
                    if (combined != current.span.stream_crc) {
                        return std::nullopt;
                    }
                    combined = 0;
                    break;
                case bzip2_span::kind::input_end:
                    m_delivery.finish();
                    return m_splitter.bytes_read();
                case bzip2_span::kind::unexpected:
                    return std::nullopt;
            }
        }
    }

    std::uint64_t delivered() const { return m_delivery.delivered(); }

private:
    // Keeps the workers busy with the blocks ahead.
    void read_ahead() {
        while (!m_finished && m_blocks_waiting < m_in_flight_limit) {
            read_one();
        }
        if (m_waiting.empty()) {
            read_one();
        }
    }

    void read_one() {
        pending_span pending{m_splitter.next(), nullptr};
        switch (pending.span.what) {
            case bzip2_span::kind::block:
                pending.task = std::make_shared<block_task>();
                pending.task->bits = std::move(pending.span.bits);
                pending.task->level = pending.span.level;
                if (pending.span.at_block_marker) {
                    m_pool->submit(pending.task);
                } else {
                    pending.task->result = block_task::outcome::failed;  // no block starts at an end marker
                }
                ++m_blocks_waiting;
                break;
            case bzip2_span::kind::stream_end:
                break;
            case bzip2_span::kind::input_end:
            case bzip2_span::kind::unexpected:
                m_finished = true;
                break;
        }
        m_waiting.push_back(std::move(pending));
    }

    pending_span take_next() {
        pending_span next = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (next.task) {
            --m_blocks_waiting;
        }
        return next;
    }

    // A block that did not decode ends at a later marker, the one before it only looking like one:
    // it takes in the spans that follow until it decodes. False when no span up to the longest a
    // block can be makes it decode, or the stream ends first: damage, which the sequential pipeline
    // reports.
    bool extend(pending_span& current) {
        const std::uint64_t longest = longest_block_bits(current.task->level);
        auto merged = std::make_shared<block_task>();
        merged->bits = current.task->bits;
        merged->level = current.task->level;
        while (true) {
            if (m_waiting.empty()) {
                if (m_finished) {
                    return false;
                }
                read_one();
            }
            if (m_waiting.front().span.what != bzip2_span::kind::block) {
                return false;
            }
            pending_span next = take_next();
            m_pool->wait(*next.task);  // a worker may still be reading its bits
            merged->bits.append(next.task->bits);
            if (merged->bits.bit_count > longest) {
                return false;
            }
            std::vector<char> output;
            const auto outcome = decode_within(m_decoder, *merged, kept_output_limit, output);
            if (outcome != block_task::outcome::failed) {
                if (outcome == block_task::outcome::oversized) {
                    output = {};
                }
                merged->output = std::move(output);
                merged->result = outcome;
                current.task = std::move(merged);
                return true;
            }
        }
    }

    void deliver(block_task& task) {
        if (task.result == block_task::outcome::decoded) {
            m_delivery.push(std::move(task.output));
            return;
        }
        // Known to decode whole: its bytes can go out as they come.
        m_decoder.decode(task.bits, task.level, [&](const char* bytes, std::size_t count) {
            m_delivery.push(bytes, count);
            return true;
        });
    }

    recycled_buffers<std::uint8_t> m_bits_buffers;
    bzip2_block_splitter m_splitter;
    held_back_delivery m_delivery;
    block_decoding_pool* m_pool;
    const std::size_t m_in_flight_limit;
    bzip2_block_decoder m_decoder;  // for blocks decoded on the calling thread
    std::deque<pending_span> m_waiting;
    std::size_t m_blocks_waiting = 0;
    bool m_finished = false;
};

// Passes on what comes after the bytes already delivered.
class skipping_sink {
public:
    skipping_sink(const block_sink& sink, std::uint64_t skip) : m_sink(&sink), m_skip(skip) {}

    std::streamsize operator()(const char* bytes, std::streamsize count) {
        const auto skipped =
            static_cast<std::streamsize>(std::min<std::uint64_t>(m_skip, static_cast<std::uint64_t>(count)));
        m_skip -= static_cast<std::uint64_t>(skipped);
        if (skipped == count) {
            return count;
        }
        return skipped + (*m_sink)(bytes + skipped, count - skipped);
    }

private:
    const block_sink* m_sink;
    std::uint64_t m_skip;
};

}  // namespace

std::uint64_t decompress_payload_parallel(std::istream& source, const block_sink& sink, unsigned workers) {
    std::streambuf* buffer = source.rdbuf();
    if (buffer == nullptr || workers == 0) {
        return decompress_payload_sequential(source, sink);
    }
    const auto start = buffer->pubseekoff(0, std::ios::cur, std::ios::in);
    if (start == std::streampos(-1)) {
        return decompress_payload_sequential(source, sink);
    }
    std::uint64_t delivered = 0;
    {
        recycled_buffers<char> outputs(spare_buffers);
        block_decoding_pool pool(workers, kept_output_limit, outputs);
        if (pool.workers() == 0) {
            return decompress_payload_sequential(source, sink);
        }
        parallel_decompression decompression(*buffer, sink, pool, outputs);
        if (const auto read = decompression.run()) {
            return *read;
        }
        delivered = decompression.delivered();
    }
    // Damage, or something after a stream: the sequential pipeline decides what it is, from the start.
    if (buffer->pubseekpos(start, std::ios::in) != start) {
        throw std::runtime_error("payload source cannot go back to its start");
    }
    return decompress_payload_sequential(source, skipping_sink(sink, delivered));
}

}  // namespace payload
