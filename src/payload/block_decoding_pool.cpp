#include "payload/block_decoding_pool.hpp"

#include <system_error>

namespace payload {

block_decoding_pool::block_decoding_pool(unsigned workers, std::size_t output_limit, recycled_buffers<char>& outputs)
    : m_output_limit(output_limit), m_outputs(&outputs) {
    m_threads.reserve(workers);
    try {
        for (unsigned i = 0; i < workers; ++i) {
            m_threads.emplace_back([this] { work(); });
        }
    } catch (const std::system_error&) {
        // Fewer threads than asked for; the caller looks at workers().
    }
}

block_decoding_pool::~block_decoding_pool() {
    stop();
}

void block_decoding_pool::submit(std::shared_ptr<block_task> task) {
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(task));
    }
    m_work_ready.notify_one();
}

void block_decoding_pool::wait(const block_task& task) {
    std::unique_lock lock(m_mutex);
    m_task_done.wait(lock, [&] { return task.result != block_task::outcome::waiting; });
}

void block_decoding_pool::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_work_ready.notify_all();
    for (auto& thread : m_threads) {
        if (thread.joinable()) {
            thread.join();
        }
    }
}

void block_decoding_pool::work() {
    bzip2_block_decoder decoder;
    while (true) {
        std::shared_ptr<block_task> task;
        {
            std::unique_lock lock(m_mutex);
            m_work_ready.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
            if (m_stopping) {
                return;
            }
            task = std::move(m_queue.front());
            m_queue.pop_front();
        }
        std::vector<char> output = m_outputs->take();
        // Room for the largest block kept, so that the buffer never moves while it fills: a move
        // would hold two copies at once, and the memory would follow the largest block met.
        output.reserve(m_output_limit);
        auto outcome = block_task::outcome::failed;
        try {
            outcome = decode_within(decoder, *task, m_output_limit, output, &m_stopping);
        } catch (...) {
            // The block counts as undecodable; the sequential pipeline reports what is wrong.
        }
        if (outcome != block_task::outcome::decoded) {
            m_outputs->give_back(std::move(output));
            output = {};
        }
        {
            const std::lock_guard lock(m_mutex);
            task->output = std::move(output);
            task->result = outcome;
        }
        m_task_done.notify_all();
    }
}

block_task::outcome decode_within(bzip2_block_decoder& decoder, const block_task& task, std::size_t limit,
                                  std::vector<char>& output, const std::atomic<bool>* stopping) {
    bool oversized = false;
    const bool whole = decoder.decode(task.bits, task.level, [&](const char* bytes, std::size_t count) {
        if (!oversized && output.size() + count <= limit) {
            output.insert(output.end(), bytes, bytes + count);
        } else {
            oversized = true;
            output.clear();
        }
        return stopping == nullptr || !*stopping;
    });
    if (!whole) {
        return block_task::outcome::failed;
    }
    return oversized ? block_task::outcome::oversized : block_task::outcome::decoded;
}

}  // namespace payload
