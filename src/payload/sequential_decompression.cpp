#include "payload/sequential_decompression.hpp"

#include "payload/compress_error.hpp"

#include <boost/iostreams/categories.hpp>
#include <boost/iostreams/copy.hpp>
#include <boost/iostreams/filter/bzip2.hpp>
#include <boost/iostreams/filtering_streambuf.hpp>

#include <exception>
#include <new>
#include <stdexcept>

namespace payload {

namespace {

namespace io = boost::iostreams;

// The filter chain swallows exceptions thrown while it flushes (its sync() never throws), and a
// write cut short by an exception makes the decompressor read part of its input twice. So a
// failure of the output end is caught at the output end, kept, and thrown again once the chain
// has been shut down; from then on the source reports its end and the output end discards.
struct pipeline_run {
    std::exception_ptr failure;
    std::uint64_t compressed_bytes = 0;
};

class payload_source_device {
public:
    using char_type = char;
    using category = io::source_tag;

    payload_source_device(std::streambuf& source, pipeline_run& run) : m_source(&source), m_run(&run) {}

    std::streamsize read(char* bytes, std::streamsize count) {
        if (m_run->failure) {
            return -1;
        }
        const std::streamsize got = m_source->sgetn(bytes, count);
        m_run->compressed_bytes += static_cast<std::uint64_t>(got);
        return got > 0 ? got : -1;
    }

private:
    std::streambuf* m_source;
    pipeline_run* m_run;
};

// Offers every decompressed block to the sink until all of it is taken.
class block_sink_device {
public:
    using char_type = char;
    using category = io::sink_tag;

    block_sink_device(const block_sink& sink, pipeline_run& run) : m_sink(&sink), m_run(&run) {}

    std::streamsize write(const char* bytes, std::streamsize count) {
        if (m_run->failure) {
            return count;
        }
        try {
            offer_all(*m_sink, bytes, count);
        } catch (...) {
            m_run->failure = std::current_exception();
        }
        return count;
    }

private:
    const block_sink* m_sink;
    pipeline_run* m_run;
};

}  // namespace

std::uint64_t decompress_payload_sequential(std::istream& source, const block_sink& sink) {
    if (source.rdbuf() == nullptr) {
        throw std::invalid_argument("payload source has no stream buffer");
    }
    pipeline_run run;
    try {
        io::filtering_streambuf<io::output> decompressed;
        decompressed.push(io::bzip2_decompressor(false, pipeline_block_size), pipeline_block_size);
        decompressed.push(block_sink_device(sink, run), pipeline_block_size);
        io::copy(payload_source_device(*source.rdbuf(), run), decompressed, pipeline_block_size);
    } catch (const io::bzip2_error& error) {
        if (!run.failure) {
            // Reported as a damaged stream by itself, never as whatever error number the C library
            // happens to hold.
            if (error.error() == io::bzip2::mem_error) {
                throw std::bad_alloc();
            }
            throw compress_failure(compress_errc::bad_stream);
        }
    } catch (...) {
        if (!run.failure) {
            throw;
        }
    }
    if (run.failure) {
        std::rethrow_exception(run.failure);
    }
    return run.compressed_bytes;
}

}  // namespace payload
