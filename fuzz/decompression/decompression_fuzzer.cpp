// Runs the parallel and the sequential payload decoder on the same stream and requires the same
// bytes in the same order, the same error and the same count of compressed bytes.
//
// The input either is the compressed stream itself or describes one: data of some size and kind,
// compressed with libbz2 as one or more streams, with a marker planted where it still decodes, then
// bit flips, overwritten markers, cuts and bytes after the end. The sink takes less than offered
// now and then, and may throw part way.
#include "payload/bzip2_magic.hpp"
#include "payload/compress_error.hpp"
#include "payload/parallel_decompression.hpp"
#include "payload/sequential_decompression.hpp"
#include "payload/vn/memstream.hpp"
#include "support/bzip2_streams.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <system_error>
#include <thread>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "parallel decoder differs: %s\n", what);
        std::abort();
    }
}

class input_reader {
public:
    input_reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    unsigned byte() { return m_at < m_size ? m_data[m_at++] : 0U; }
    unsigned word() { return byte() | byte() << 8; }
    bool more() const { return m_at < m_size; }
    std::string rest() {
        std::string bytes(reinterpret_cast<const char*>(m_data + m_at), m_size - m_at);
        m_at = m_size;
        return bytes;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

std::string make_data(unsigned kind, std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string data(size, '\0');
    static const char* const words[] = {"setup ", "payload ", "folder ", "quillon ", "\r\n", "0000", "entry "};
    std::size_t i = 0;
    while (i < size) {
        switch (kind) {
            case 0:  // incompressible
                data[i++] = static_cast<char>(random());
                break;
            case 1: {  // text
                for (const char* w = words[random() % 7]; *w != '\0' && i < size; ++w) {
                    data[i++] = *w;
                }
                break;
            }
            default: {  // long runs, whose blocks decode to many times their size
                const std::size_t run = std::min<std::size_t>(size - i, 1 + random() % 300000);
                std::fill_n(data.begin() + static_cast<std::ptrdiff_t>(i), run, static_cast<char>(random() % 3));
                i += run;
                break;
            }
        }
    }
    return data;
}

void flip_bit(std::string& stream, std::size_t bit) {
    stream[bit / 8] = static_cast<char>(stream[bit / 8] ^ (0x80 >> (bit % 8)));
}

void write_marker(std::string& stream, std::size_t bit, std::uint64_t marker) {
    for (unsigned i = 0; i < 48 && bit + i < 8 * stream.size(); ++i) {
        const bool one = (marker >> (47 - i) & 1) != 0;
        const std::size_t at = bit + i;
        const auto mask = static_cast<char>(0x80 >> (at % 8));
        stream[at / 8] = static_cast<char>(one ? (stream[at / 8] | mask) : (stream[at / 8] & ~mask));
    }
}

std::string make_stream(input_reader& in) {
    const int level = 1 + static_cast<int>(in.byte() % 3);
    const unsigned kind = in.byte() % 3;
    const std::size_t size = kind == 2 ? in.word() * 64 : in.word() * 6;
    const std::string data = make_data(kind, size, in.word());
    const unsigned parts = 1 + in.byte() % 3;
    std::string stream;
    for (unsigned part = 0; part < parts; ++part) {
        const std::size_t from = size * part / parts;
        std::string compressed =
            test_support::bzip2_compress(data.substr(from, size * (part + 1) / parts - from), level);
        if (part == 0) {
            const unsigned plant = in.byte();
            if (plant % 3 != 0) {
                const auto marker = plant % 3 == 1 ? payload::bzip2_block_magic : payload::bzip2_end_magic;
                if (auto planted = test_support::plant_marker(compressed, marker, plant / 3 % 8)) {
                    compressed = std::move(planted->stream);
                }
            }
        }
        stream += compressed;
    }
    while (in.more() && !stream.empty()) {
        const unsigned what = in.byte();
        const std::size_t bit = (8 * stream.size() - 1) * in.word() / 0xFFFF;
        switch (what % 5) {
            case 0:
                flip_bit(stream, bit);
                break;
            case 1:
                write_marker(stream, bit, what & 8 ? payload::bzip2_end_magic : payload::bzip2_block_magic);
                break;
            case 2:
                stream.resize(bit / 8);
                break;
            case 3:
                stream.push_back(static_cast<char>(what));
                break;
            default:
                break;  // left as it is
        }
    }
    return stream;
}

struct sink_failure {
    std::uint64_t after;
};

struct outcome {
    std::string delivered;
    std::string error;
    std::uint64_t read = 0;
};

outcome run(const std::string& stream, unsigned workers, unsigned take_limit, std::uint64_t fail_after) {
    outcome result;
    const auto caller = std::this_thread::get_id();
    vn::imemstream source(stream.data(), stream.size());
    const payload::block_sink sink = [&](const char* bytes, std::streamsize count) -> std::streamsize {
        require(std::this_thread::get_id() == caller, "sink called on another thread");
        require(count > 0 && count <= payload::pipeline_block_size, "block of a wrong size");
        // Fails at a byte, not at a call: the two decoders cut their calls differently.
        if (result.delivered.size() == fail_after) {
            throw sink_failure{result.delivered.size()};
        }
        const auto taken = static_cast<std::streamsize>(std::min<std::uint64_t>(
            {static_cast<std::uint64_t>(count), take_limit, fail_after - result.delivered.size()}));
        result.delivered.append(bytes, static_cast<std::size_t>(taken));
        return taken;
    };
    try {
        result.read = workers == 0 ? payload::decompress_payload_sequential(source, sink)
                                   : payload::decompress_payload_parallel(source, sink, workers);
    } catch (const std::system_error& e) {
        result.error = std::string(e.code().category().name()) + ":" + std::to_string(e.code().value());
    } catch (const sink_failure& e) {
        result.error = "sink failed after " + std::to_string(e.after);
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    input_reader in(data, size);
    const unsigned form = in.byte();
    const unsigned workers = 2 + in.byte() % 3;
    const unsigned take = in.byte();
    const unsigned take_limit = take < 128 ? 4096U : 1U + take * 31U;
    const unsigned fail = in.word();
    const std::uint64_t fail_after = fail < 0xC000 ? UINT64_MAX : std::uint64_t{fail - 0xC000U} * 97U;
    const std::string stream = form % 4 == 0 ? in.rest() : make_stream(in);

    const outcome sequential = run(stream, 0, take_limit, fail_after);
    const outcome parallel = run(stream, workers, take_limit, fail_after);
    if (std::getenv("FUZZ_DEBUG") != nullptr) {
        std::fprintf(stderr,
                     "stream %zu bytes: sequential [%s] %zu bytes read %llu; parallel [%s] %zu bytes read %llu\n",
                     stream.size(), sequential.error.c_str(), sequential.delivered.size(),
                     static_cast<unsigned long long>(sequential.read), parallel.error.c_str(),
                     parallel.delivered.size(), static_cast<unsigned long long>(parallel.read));
    }
    require(parallel.error == sequential.error, "another error");
    require(parallel.delivered.size() == sequential.delivered.size(), "another number of bytes delivered");
    require(parallel.delivered == sequential.delivered, "other bytes delivered");
    require(!sequential.error.empty() || parallel.read == sequential.read, "another count of bytes read");
    return 0;
}
