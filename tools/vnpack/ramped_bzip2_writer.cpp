#include "ramped_bzip2_writer.hpp"

#include <algorithm>
#include <limits>
#include <string>

namespace vnpack {

namespace {

constexpr std::size_t output_buffer_size = std::size_t{64} * 1024;
// libbz2's defaults, as the stream was written before the ramp.
constexpr int quiet = 0;
constexpr int work_factor = 30;

std::string describe(int code) {
    switch (code) {
        case BZ_MEM_ERROR:
            return "out of memory";
        case BZ_PARAM_ERROR:
            return "invalid parameter";
        case BZ_CONFIG_ERROR:
            return "libbz2 is built wrongly for this machine";
        case BZ_SEQUENCE_ERROR:
            return "calls out of sequence";
        default:
            return "error " + std::to_string(code);
    }
}

[[noreturn]] void fail(int code) {
    throw bzip2_write_error("bzip2 compression failed: " + describe(code));
}

}  // namespace

ramped_bzip2_writer::ramped_bzip2_writer(std::ostream& out, int block_size, std::span<const std::size_t> ramp)
    : m_out(&out), m_ramp(ramp.rbegin(), ramp.rend()), m_buffer(output_buffer_size) {
    if (const int code = BZ2_bzCompressInit(&m_stream, block_size, quiet, work_factor); code != BZ_OK) {
        fail(code);
    }
    start_next_block_of_ramp();
}

ramped_bzip2_writer::~ramped_bzip2_writer() {
    BZ2_bzCompressEnd(&m_stream);
}

void ramped_bzip2_writer::write(const char* bytes, std::size_t count) {
    if (m_finished) {
        fail(BZ_SEQUENCE_ERROR);
    }
    while (count > 0) {
        const std::size_t taken = m_until_block_end == 0 ? count : std::min(count, m_until_block_end);
        compress(BZ_RUN, BZ_RUN_OK, bytes, taken);
        bytes += taken;
        count -= taken;
        if (m_until_block_end != 0) {
            m_until_block_end -= taken;
            if (m_until_block_end == 0) {
                compress(BZ_FLUSH, BZ_RUN_OK, nullptr, 0);  // ends the block here
                start_next_block_of_ramp();
            }
        }
    }
}

void ramped_bzip2_writer::finish() {
    if (m_finished) {
        fail(BZ_SEQUENCE_ERROR);
    }
    m_finished = true;
    compress(BZ_FINISH, BZ_STREAM_END, nullptr, 0);
    if (!m_out->flush()) {
        throw bzip2_write_error("the output cannot be written");
    }
}

void ramped_bzip2_writer::compress(int action, int done, const char* bytes, std::size_t count) {
    // libbz2 counts its input in unsigned int.
    constexpr std::size_t largest_call = std::numeric_limits<unsigned>::max();
    while (true) {
        const std::size_t offered = std::min(count, largest_call);
        m_stream.next_in = const_cast<char*>(bytes);  // libbz2 never writes to its input
        m_stream.avail_in = static_cast<unsigned>(offered);
        m_stream.next_out = m_buffer.data();
        m_stream.avail_out = static_cast<unsigned>(m_buffer.size());
        const int code = BZ2_bzCompress(&m_stream, action);
        if (code < 0) {
            fail(code);
        }
        const std::size_t consumed = offered - m_stream.avail_in;
        bytes += consumed;
        count -= consumed;
        const auto produced = static_cast<std::streamsize>(m_buffer.size() - m_stream.avail_out);
        if (produced > 0 && !m_out->write(m_buffer.data(), produced)) {
            throw bzip2_write_error("the output cannot be written");
        }
        if (code == done && count == 0) {
            return;
        }
    }
}

void ramped_bzip2_writer::start_next_block_of_ramp() {
    m_until_block_end = 0;
    while (m_until_block_end == 0 && !m_ramp.empty()) {
        m_until_block_end = m_ramp.back();
        m_ramp.pop_back();
    }
}

}  // namespace vnpack
