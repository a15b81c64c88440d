#include "payload/bzip2_block_decoder.hpp"
#include "payload/bzip2_block_splitter.hpp"
#include "payload/bzip2_magic.hpp"
#include "payload/compress_error.hpp"
#include "payload/decompression.hpp"
#include "payload/parallel_decompression.hpp"
#include "payload/sequential_decompression.hpp"
#include "payload/vn/memstream.hpp"
#include "platform/system/processors.hpp"
#include "support/bzip2_streams.hpp"

#include <gtest/gtest.h>

#include <sched.h>

#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace {

using payload::bzip2_marker;
using payload::bzip2_span;
using test_support::bzip2_compress;

std::string text(std::size_t size) {
    std::mt19937 random(11);
    static const char* const words[] = {"folder ", "entry ", "payload ", "setup\n", "quillon "};
    std::string data;
    while (data.size() < size) {
        data += words[random() % 5];
    }
    data.resize(size);
    return data;
}

std::string noise(std::size_t size) {
    std::mt19937 random(12);
    std::string data(size, '\0');
    for (auto& c : data) {
        c = static_cast<char>(random());
    }
    return data;
}

// A stream buffer over bytes that counts what it hands out and may refuse to seek.
class counting_buffer : public std::stringbuf {
public:
    counting_buffer(const std::string& bytes, bool seekable)
        : std::stringbuf(bytes, std::ios::in), m_seekable(seekable) {}
    std::uint64_t handed_out = 0;

protected:
    std::streamsize xsgetn(char* bytes, std::streamsize count) override {
        const auto got = std::stringbuf::xsgetn(bytes, count);
        handed_out += static_cast<std::uint64_t>(got);
        return got;
    }
    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode which) override {
        return m_seekable ? std::stringbuf::seekoff(off, dir, which) : pos_type(off_type(-1));
    }
    pos_type seekpos(pos_type pos, std::ios::openmode which) override {
        return m_seekable ? std::stringbuf::seekpos(pos, which) : pos_type(off_type(-1));
    }

private:
    bool m_seekable;
};

struct decoded {
    std::string bytes;
    int error = 0;  // compress error value
    std::uint64_t read = 0;
    std::uint64_t handed_out = 0;
};

decoded decode(const std::string& stream, unsigned workers, bool seekable = true) {
    counting_buffer buffer(stream, seekable);
    std::istream source(&buffer);
    decoded result;
    const auto caller = std::this_thread::get_id();
    const payload::block_sink sink = [&](const char* bytes, std::streamsize count) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        EXPECT_LE(count, payload::pipeline_block_size);
        result.bytes.append(bytes, static_cast<std::size_t>(count));
        return count;
    };
    try {
        result.read = workers == 0 ? payload::decompress_payload_sequential(source, sink)
                                   : payload::decompress_payload_parallel(source, sink, workers);
    } catch (const std::system_error& e) {
        EXPECT_EQ(&e.code().category(), &payload::compress_category());
        result.error = e.code().value();
    }
    result.handed_out = buffer.handed_out;
    return result;
}

std::vector<bzip2_span> spans_of(const std::string& stream) {
    std::stringbuf buffer(stream, std::ios::in);
    payload::bzip2_block_splitter splitter(buffer);
    std::vector<bzip2_span> spans;
    do {
        spans.push_back(splitter.next());
    } while (spans.back().what == bzip2_span::kind::block || spans.back().what == bzip2_span::kind::stream_end);
    return spans;
}

long threads_of_process() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::stol(line.substr(8));
        }
    }
    return -1;
}

}  // namespace

TEST(Bzip2Magic, FindsEitherMarkerAtAnyBitOffset) {
    for (const auto kind : {bzip2_marker::block, bzip2_marker::end}) {
        const std::uint64_t magic = kind == bzip2_marker::block ? payload::bzip2_block_magic : payload::bzip2_end_magic;
        for (const std::uint64_t at : {0, 1, 5, 7, 8, 13, 100, 251}) {
            SCOPED_TRACE(at);
            std::vector<std::uint8_t> bytes(40, 0);
            test_support::bit_string bits;
            bits.put(0, static_cast<unsigned>(at));
            bits.put(magic, 48);
            const std::string placed = bits.bytes();
            for (std::size_t i = 0; i < placed.size(); ++i) {
                bytes[i] = static_cast<std::uint8_t>(placed[i]);
            }
            EXPECT_EQ(payload::find_bzip2_magic(bytes, 0), (payload::bzip2_magic_hit{at, kind}));
            EXPECT_EQ(payload::find_bzip2_magic(bytes, at), (payload::bzip2_magic_hit{at, kind}));
            EXPECT_EQ(payload::find_bzip2_magic(bytes, at + 1), std::nullopt);
            // Its last bit cut off: not there.
            const auto cut = std::span(bytes).first((at + 47) / 8);
            EXPECT_EQ(payload::find_bzip2_magic(cut, 0), std::nullopt);
        }
    }
    EXPECT_EQ(payload::find_bzip2_magic({}, 0), std::nullopt);
}

TEST(Bzip2Magic, TheEarliestOfSeveralComesFirst) {
    test_support::bit_string bits;
    bits.put(0, 3);
    bits.put(payload::bzip2_end_magic, 48);
    bits.put(payload::bzip2_block_magic, 48);  // at 51, ending in the same byte as none other
    bits.put(0, 16);
    const std::string s = bits.bytes();
    const std::vector<std::uint8_t> bytes(s.begin(), s.end());
    EXPECT_EQ(payload::find_bzip2_magic(bytes, 0), (payload::bzip2_magic_hit{3, bzip2_marker::end}));
    EXPECT_EQ(payload::find_bzip2_magic(bytes, 4), (payload::bzip2_magic_hit{51, bzip2_marker::block}));
}

TEST(Bzip2Splitter, CutsStreamsIntoBlocksThatDecodeAndEnds) {
    const std::string first = bzip2_compress(text(250000), 1);  // three blocks
    const std::string second = bzip2_compress("", 9);           // no block at all
    const auto spans = spans_of(first + second);
    using kind = bzip2_span::kind;
    std::vector<kind> kinds;
    for (const auto& span : spans) {
        kinds.push_back(span.what);
    }
    EXPECT_EQ(kinds, (std::vector{kind::block, kind::block, kind::block, kind::stream_end, kind::stream_end,
                                  kind::input_end}));

    payload::bzip2_block_decoder decoder;
    std::string decoded;
    std::uint32_t combined = 0;
    std::uint64_t bits = 32;  // the header
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(spans[i].at_block_marker);
        EXPECT_EQ(spans[i].level, 1);
        EXPECT_TRUE(decoder.decode(spans[i].bits, 1, [&](const char* b, std::size_t n) {
            decoded.append(b, n);
            return true;
        }));
        combined = ((combined << 1) | (combined >> 31)) ^ spans[i].bits.stored_crc();
        bits += spans[i].bits.bit_count;
    }
    EXPECT_EQ(decoded, text(250000));
    EXPECT_EQ(spans[3].stream_crc, combined);
    EXPECT_EQ((bits + 80 + 7) / 8, first.size());  // the last block ends at the end marker
    EXPECT_EQ(spans[4].stream_crc, 0U);
}

TEST(Bzip2Splitter, WhatIsNoStreamOrFollowsOneIsUnexpected) {
    const std::string stream = bzip2_compress(text(1000), 9);
    const struct {
        const char* what;
        std::string bytes;
        bzip2_span::kind last;
    } cases[] = {
        {"empty", "", bzip2_span::kind::unexpected},
        {"not bzip2", "plain text, not compressed", bzip2_span::kind::unexpected},
        {"header alone", "BZh9", bzip2_span::kind::unexpected},
        {"garbage after the stream", stream + "garbage", bzip2_span::kind::unexpected},
        {"cut short", stream.substr(0, stream.size() - 3), bzip2_span::kind::unexpected},
        {"whole", stream, bzip2_span::kind::input_end},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(spans_of(c.bytes).back().what, c.last);
    }
}

TEST(Bzip2BlockDecoder, ASpanCutAtAPlantedMarkerDoesNotDecodeButTheWholeBlockDoes) {
    const std::string data = noise(20000);
    for (const auto magic : {payload::bzip2_block_magic, payload::bzip2_end_magic}) {
        for (const unsigned shift : {0U, 3U, 7U}) {
            SCOPED_TRACE(shift);
            const auto planted = test_support::plant_marker(bzip2_compress(data, 9), magic, shift);
            ASSERT_TRUE(planted);
            const auto spans = spans_of(planted->stream);
            ASSERT_EQ(spans.size(), 4U);
            ASSERT_EQ(spans[1].what, bzip2_span::kind::block);
            EXPECT_EQ(spans[0].bits.bit_count, planted->bit - 32);
            EXPECT_EQ(spans[1].at_block_marker, magic == payload::bzip2_block_magic);

            payload::bzip2_block_decoder decoder;
            std::string decoded;
            const auto keep = [&](const char* b, std::size_t n) {
                decoded.append(b, n);
                return true;
            };
            EXPECT_FALSE(decoder.decode(spans[0].bits, 9, keep));
            auto whole = spans[0].bits;
            whole.append(spans[1].bits);
            decoded.clear();
            EXPECT_TRUE(decoder.decode(whole, 9, keep));
            EXPECT_EQ(decoded, data);
        }
    }
}

TEST(ParallelDecompression, DeliversWhatTheSequentialPipelineDelivers) {
    const std::string long_text = text(700000);
    std::string runs(3000000, 'a');  // blocks that decode to far more than their size
    std::fill(runs.begin() + 1000000, runs.end(), '\0');
    const auto planted_block =
        test_support::plant_marker(bzip2_compress(noise(150000), 1), payload::bzip2_block_magic, 5);
    const auto planted_end = test_support::plant_marker(bzip2_compress(noise(150000), 1), payload::bzip2_end_magic, 2);
    ASSERT_TRUE(planted_block && planted_end);
    const struct {
        const char* what;
        std::string stream;
        std::string data;
    } cases[] = {
        {"many blocks", bzip2_compress(long_text, 1), long_text},
        {"concatenated streams", bzip2_compress(long_text, 2) + bzip2_compress("", 9) + bzip2_compress("tail", 9),
         long_text + "tail"},
        {"large blocks", bzip2_compress(noise(2000000), 9), noise(2000000)},
        {"long runs", bzip2_compress(runs, 1), runs},
        {"a block marker inside a block", planted_block->stream, noise(150000)},
        {"an end marker inside a block", planted_end->stream, noise(150000)},
        {"an empty stream", bzip2_compress("", 9), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto parallel = decode(c.stream, 2);
        EXPECT_EQ(parallel.error, 0);
        EXPECT_TRUE(parallel.bytes == c.data);
        EXPECT_EQ(parallel.read, c.stream.size());
        EXPECT_EQ(parallel.handed_out, c.stream.size());          // decoded in one pass, never started over
        EXPECT_TRUE(decode(c.stream, 3, false).bytes == c.data);  // a source that cannot seek back
    }
}

TEST(ParallelDecompression, FailsAsTheSequentialPipelineAfterTheSameBytes) {
    const std::string stream = bzip2_compress(text(700000), 1);
    const auto at = [&](std::size_t bit, std::uint64_t marker) {
        std::string damaged = stream;
        for (unsigned i = 0; i < 48; ++i) {
            const auto mask = static_cast<char>(0x80 >> ((bit + i) % 8));
            auto& byte = damaged[(bit + i) / 8];
            byte = static_cast<char>((marker >> (47 - i) & 1) != 0 ? (byte | mask) : (byte & ~mask));
        }
        return damaged;
    };
    std::string flipped = stream;
    flipped[stream.size() * 3 / 4] = static_cast<char>(flipped[stream.size() * 3 / 4] ^ 0x08);
    std::string bad_crc = stream;
    bad_crc[bad_crc.size() - 2] = static_cast<char>(bad_crc[bad_crc.size() - 2] ^ 0x01);
    const struct {
        const char* what;
        std::string stream;
    } cases[] = {
        {"a flipped bit in a later block", flipped},
        {"a block marker written over data", at(stream.size() * 4, payload::bzip2_block_magic)},
        {"an end marker written over data", at(stream.size() * 5 + 3, payload::bzip2_end_magic)},
        {"cut short", stream.substr(0, stream.size() * 2 / 3)},
        {"the end marker cut off", stream.substr(0, stream.size() - 6)},
        {"a wrong stream CRC", bad_crc},
        {"garbage after the stream", stream + "garbage"},
        {"zeros after the stream", stream + std::string(3, '\0')},
        {"a second stream cut short", stream + stream.substr(0, 100)},
        {"empty", ""},
        {"not bzip2", "plain text, not compressed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto sequential = decode(c.stream, 0);
        const auto parallel = decode(c.stream, 2);
        EXPECT_EQ(sequential.error, 6);
        EXPECT_EQ(parallel.error, 6);
        EXPECT_EQ(parallel.bytes.size(), sequential.bytes.size());
        EXPECT_TRUE(parallel.bytes == sequential.bytes);
    }
}

TEST(ParallelDecompression, FailureOfTheSinkPassesUnchangedAndLeavesNoThreadBehind) {
    struct sink_failure {};
    const std::string stream = bzip2_compress(noise(1500000), 1);
    const long threads_before = threads_of_process();
    for (const std::uint64_t fail_at : {0ULL, 250000ULL, 1499999ULL}) {
        SCOPED_TRACE(fail_at);
        vn::imemstream source(stream.data(), stream.size());
        std::uint64_t delivered = 0;
        EXPECT_THROW(payload::decompress_payload_parallel(
                         source,
                         [&](const char*, std::streamsize count) -> std::streamsize {
                             if (delivered + static_cast<std::uint64_t>(count) > fail_at) {
                                 throw sink_failure{};
                             }
                             delivered += static_cast<std::uint64_t>(count);
                             return count;
                         },
                         3),
                     sink_failure);
        EXPECT_EQ(threads_of_process(), threads_before);
    }
}

TEST(ParallelDecompression, OneProcessorDecodesOnTheCallingThreadAlone) {
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof(all), &all), 0);
    if (CPU_COUNT(&all) < 2) {
        GTEST_SKIP() << "the machine has one processor";
    }
    const std::string stream = bzip2_compress(text(400000), 1);
    const long threads_before = threads_of_process();
    for (const bool single : {false, true}) {
        SCOPED_TRACE(single);
        cpu_set_t one;
        CPU_ZERO(&one);
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &all)) {
                CPU_SET(cpu, &one);
                break;
            }
        }
        ASSERT_EQ(sched_setaffinity(0, sizeof(one), single ? &one : &all), 0);
        EXPECT_EQ(platform::system::available_processors(), single ? 1U : static_cast<unsigned>(CPU_COUNT(&all)));
        vn::imemstream source(stream.data(), stream.size());
        long most_threads = 0;
        payload::decompress_payload(source, [&](const char*, std::streamsize count) {
            most_threads = std::max(most_threads, threads_of_process());
            return count;
        });
        ASSERT_EQ(sched_setaffinity(0, sizeof(all), &all), 0);
        EXPECT_EQ(most_threads > threads_before, !single);
    }
}
