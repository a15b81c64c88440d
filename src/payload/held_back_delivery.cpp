#include "payload/held_back_delivery.hpp"

#include <algorithm>

namespace payload {

void held_back_delivery::push(std::vector<char>&& bytes) {
    if (bytes.empty()) {
        recycle(std::move(bytes));
        return;
    }
    m_queued_bytes += bytes.size();
    m_queued.push_back(std::move(bytes));
    deliver_down_to(m_held_back);
    keep_small();
}

void held_back_delivery::push(const char* bytes, std::size_t count) {
    std::vector<char> copy = m_buffers->take();
    copy.assign(bytes, bytes + count);
    push(std::move(copy));
}

void held_back_delivery::finish() {
    deliver_down_to(0);
}

void held_back_delivery::recycle(std::vector<char>&& buffer) {
    // A block's buffer goes back for the next block; a tail's is kept for the next tail, so that
    // the copies do not allocate afresh with every block.
    if (buffer.capacity() > 2 * m_held_back) {
        m_buffers->give_back(std::move(buffer));
    } else if (buffer.capacity() > m_spare_tail.capacity()) {
        buffer.clear();
        m_spare_tail = std::move(buffer);
    }
}

void held_back_delivery::keep_small() {
    // What is kept back is the tail of a block; copied out, the block's buffer can be used again.
    if (m_queued.empty() || (m_queued.size() == 1 && m_queued.front().capacity() <= 2 * m_held_back)) {
        return;
    }
    std::vector<char> tail = std::move(m_spare_tail);
    m_spare_tail = {};
    tail.clear();
    tail.reserve(std::max(m_queued_bytes, m_held_back));
    for (auto& queued : m_queued) {
        tail.insert(tail.end(), queued.begin() + static_cast<std::ptrdiff_t>(m_front_taken), queued.end());
        m_front_taken = 0;
        recycle(std::move(queued));
    }
    m_queued.clear();
    m_queued.push_back(std::move(tail));
}

void held_back_delivery::deliver_down_to(std::size_t kept) {
    while (m_queued_bytes > kept) {
        const std::vector<char>& front = m_queued.front();
        const std::size_t count = std::min(front.size() - m_front_taken, m_queued_bytes - kept);
        offer_all(*m_sink, front.data() + m_front_taken, static_cast<std::streamsize>(count));
        m_front_taken += count;
        m_queued_bytes -= count;
        m_delivered += count;
        if (m_front_taken == front.size()) {
            recycle(std::move(m_queued.front()));
            m_queued.pop_front();
            m_front_taken = 0;
        }
    }
}

}  // namespace payload
