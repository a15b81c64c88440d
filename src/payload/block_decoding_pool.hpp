// Worker threads that decode bzip2 blocks ahead of the one being delivered. Each task keeps its
// decoded bytes up to a limit; a larger block is only checked, and decoded again when delivered.
#pragma once

#include "payload/bzip2_block_decoder.hpp"
#include "payload/recycled_buffers.hpp"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace payload {

struct block_task {
    enum class outcome { waiting, decoded, oversized, failed };

    bzip2_block_bits bits;
    int level = 0;
    // Set by the pool; read only after wait() has returned.
    outcome result = outcome::waiting;
    std::vector<char> output;  // decoded: the block's bytes
};

// Decodes the task's bits, keeping the bytes in `output` while all of them fit in `limit`: a larger
// block empties `output` and is only checked (oversized), and one that does not decode whole, or is
// abandoned once `stopping` is set, is failed. Throws what the decoder throws.
block_task::outcome decode_within(bzip2_block_decoder& decoder, const block_task& task, std::size_t limit,
                                  std::vector<char>& output, const std::atomic<bool>* stopping = nullptr);

class block_decoding_pool {
public:
    // Starts up to `workers` threads; fewer when the system refuses more.
    // Outputs go into buffers taken from `outputs`.
    block_decoding_pool(unsigned workers, std::size_t output_limit, recycled_buffers<char>& outputs);
    ~block_decoding_pool();
    block_decoding_pool(const block_decoding_pool&) = delete;
    block_decoding_pool& operator=(const block_decoding_pool&) = delete;

    std::size_t workers() const { return m_threads.size(); }

    void submit(std::shared_ptr<block_task> task);

    // Returns once the task has an outcome.
    void wait(const block_task& task);

    // Abandons the tasks not yet done and joins every thread.
    void stop();

private:
    void work();

    const std::size_t m_output_limit;
    recycled_buffers<char>* m_outputs;
    std::mutex m_mutex;
    std::condition_variable m_work_ready;
    std::condition_variable m_task_done;
    std::deque<std::shared_ptr<block_task>> m_queue;
    std::atomic<bool> m_stopping{false};
    std::vector<std::thread> m_threads;
};

}  // namespace payload
