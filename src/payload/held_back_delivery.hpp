// Hands decoded bytes to a block sink in order, at most pipeline_block_size per call, keeping the
// latest bytes back until the end. A decoder that finds damage later starts over with the
// sequential pipeline and skips what was delivered; the sequential pipeline may still hold some
// bytes of its own when it fails, and the bytes kept back here cover them, so that both deliver
// the same.
#pragma once

#include "payload/block_sink.hpp"
#include "payload/recycled_buffers.hpp"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace payload {

class held_back_delivery {
public:
    // Buffers delivered whole go back to `buffers`, which also gives the copies of push(bytes, count).
    held_back_delivery(const block_sink& sink, std::size_t held_back, recycled_buffers<char>& buffers)
        : m_sink(&sink), m_held_back(held_back), m_buffers(&buffers) {}

    // Queues the bytes and delivers all but the latest `held_back` of everything queued.
    void push(std::vector<char>&& bytes);
    void push(const char* bytes, std::size_t count);

    // Delivers everything queued.
    void finish();

    std::uint64_t delivered() const { return m_delivered; }

private:
    void deliver_down_to(std::size_t kept);
    void keep_small();
    void recycle(std::vector<char>&& buffer);

    const block_sink* m_sink;
    std::size_t m_held_back;
    recycled_buffers<char>* m_buffers;
    std::deque<std::vector<char>> m_queued;
    std::vector<char> m_spare_tail;  // the buffer of an earlier tail, for the next one
    std::size_t m_front_taken = 0;   // bytes of m_queued.front() already delivered
    std::size_t m_queued_bytes = 0;
    std::uint64_t m_delivered = 0;
};

}  // namespace payload
