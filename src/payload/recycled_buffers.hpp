// Large buffers handed back after use and given out again, shared between threads. Allocating and
// freeing a block's worth of memory per block lets the heap spread and the resident memory grow
// with the length of the payload; a fixed set of buffers in turn keeps it flat.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace payload {

template <typename Byte>
class recycled_buffers {
public:
    explicit recycled_buffers(std::size_t kept) : m_kept(kept) {}

    // An empty buffer, with the capacity of an earlier one when there is one.
    std::vector<Byte> take() {
        const std::lock_guard lock(m_mutex);
        if (m_spare.empty()) {
            return {};
        }
        std::vector<Byte> buffer = std::move(m_spare.back());
        m_spare.pop_back();
        return buffer;
    }

    void give_back(std::vector<Byte>&& buffer) {
        buffer.clear();
        const std::lock_guard lock(m_mutex);
        if (m_spare.size() < m_kept && buffer.capacity() > 0) {
            m_spare.push_back(std::move(buffer));
        }
    }

private:
    const std::size_t m_kept;
    std::mutex m_mutex;
    std::vector<std::vector<Byte>> m_spare;
};

}  // namespace payload
