// Compresses one bzip2 stream whose first blocks end early, after a growing amount of input, and
// whose later blocks are full. A decoder that works on several blocks at once then has its first
// bytes after a few milliseconds while it decodes the larger blocks. Any decoder reads the same
// bytes and the header still names the block size; the short blocks compress a little less well.
#pragma once

#include <bzlib.h>

#include <array>
#include <cstddef>
#include <ostream>
#include <span>
#include <stdexcept>
#include <vector>

namespace vnpack {

struct bzip2_write_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The input sizes of the payload's first blocks, in order; every block after them is full. The
// first decodes in a few milliseconds; the second ends about half a full block later, so that the
// full blocks that follow on two decoders come out in turn rather than together.
inline constexpr std::array<std::size_t, 2> payload_block_ramp = {std::size_t{128} * 1024, std::size_t{512} * 1024};

class ramped_bzip2_writer {
public:
    // `block_size` 1 to 9 (hundreds of kilobytes). Throws bzip2_write_error when libbz2 cannot start.
    explicit ramped_bzip2_writer(std::ostream& out, int block_size = 9,
                                 std::span<const std::size_t> ramp = payload_block_ramp);
    ~ramped_bzip2_writer();
    ramped_bzip2_writer(const ramped_bzip2_writer&) = delete;
    ramped_bzip2_writer& operator=(const ramped_bzip2_writer&) = delete;

    // Throw bzip2_write_error when the output cannot be written or libbz2 fails; the output is then
    // not a whole stream.
    void write(const char* bytes, std::size_t count);
    // Ends the stream and flushes the output; nothing may be written after it.
    void finish();

private:
    // Runs `action` over the bytes until libbz2 has taken them all and answered `done`.
    void compress(int action, int done, const char* bytes, std::size_t count);
    void start_next_block_of_ramp();

    std::ostream* m_out;
    bz_stream m_stream{};
    std::vector<std::size_t> m_ramp;    // the steps still to come, last first
    std::size_t m_until_block_end = 0;  // input left in the current short block; 0 once blocks are full
    bool m_finished = false;
    std::vector<char> m_buffer;
};

}  // namespace vnpack
