#include "ramped_bzip2_writer.hpp"

#include "archive_format.hpp"
#include "packer.hpp"
#include "payload/bzip2_block_decoder.hpp"
#include "payload/bzip2_block_splitter.hpp"
#include "payload/decompression.hpp"
#include "payload/vn/memstream.hpp"
#include "support/file_content.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <random>
#include <sstream>
#include <vector>

namespace fs = boost::filesystem;

namespace {

constexpr std::size_t first_step = vnpack::payload_block_ramp[0];
constexpr std::size_t second_step = vnpack::payload_block_ramp[1];

std::string noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (auto& c : data) {
        c = static_cast<char>(random());
    }
    return data;
}

// The decoded size of each block, in order, found by decoding the stream block by block.
std::vector<std::size_t> block_sizes(const std::string& compressed) {
    std::stringbuf source(compressed, std::ios::in);
    payload::bzip2_block_splitter splitter(source);
    payload::bzip2_block_decoder decoder;
    std::vector<std::size_t> sizes;
    for (auto span = splitter.next(); span.what != payload::bzip2_span::kind::input_end; span = splitter.next()) {
        if (span.what == payload::bzip2_span::kind::unexpected) {
            ADD_FAILURE() << "not a whole stream";
            break;
        }
        if (span.what == payload::bzip2_span::kind::block) {
            std::size_t size = 0;
            EXPECT_TRUE(decoder.decode(span.bits, span.level, [&](const char*, std::size_t count) {
                size += count;
                return true;
            }));
            sizes.push_back(size);
        }
    }
    return sizes;
}

std::string decompress_payload(const std::string& compressed) {
    vn::imemstream source(compressed.data(), compressed.size());
    std::string out;
    payload::decompress_payload(source, [&](const char* bytes, std::streamsize count) {
        out.append(bytes, static_cast<std::size_t>(count));
        return count;
    });
    return out;
}

// What the reference decompressor makes of the stream.
std::string bzip2_dc(const std::string& compressed) {
    const fs::path dir = fs::temp_directory_path() / fs::unique_path("ramped-bzip2-%%%%-%%%%");
    fs::create_directories(dir);
    test_support::write_file(dir / "in.bz2", compressed);
    const std::string command =
        "bzip2 -dc " + (dir / "in.bz2").string() + " >" + (dir / "out").string() + " 2>/dev/null";
    const int status = std::system(command.c_str());
    std::string out = test_support::read_file(dir / "out");
    fs::remove_all(dir);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "bzip2 -dc refused the stream";
    }
    return out;
}

std::string compress(const std::string& data, std::span<const std::size_t> ramp, std::size_t piece) {
    std::ostringstream out;
    vnpack::ramped_bzip2_writer writer(out, 9, ramp);
    for (std::size_t at = 0; at < data.size(); at += piece) {
        writer.write(data.data() + at, std::min(piece, data.size() - at));
    }
    writer.finish();
    return out.str();
}

// Takes `room` bytes, then fails every write; its flush fails when `sync_fails`.
class failing_buffer : public std::streambuf {
public:
    failing_buffer(std::size_t room, bool sync_fails) : m_room(room), m_sync_fails(sync_fails) {}

protected:
    std::streamsize xsputn(const char*, std::streamsize count) override {
        const auto taken = std::min(m_room, static_cast<std::size_t>(count));
        m_room -= taken;
        return static_cast<std::streamsize>(taken);
    }
    int_type overflow(int_type c) override { return m_room > 0 ? (--m_room, c) : traits_type::eof(); }
    int sync() override { return m_sync_fails ? -1 : 0; }

private:
    std::size_t m_room;
    bool m_sync_fails;
};

}  // namespace

TEST(RampedBzip2Writer, PackedArchiveStartsWithShortBlocksThatAnyDecoderReads) {
    const fs::path dir = fs::temp_directory_path() / fs::unique_path("vnpack-ramp-%%%%-%%%%");
    const std::vector<vnpack::memory_file> files = {
        {"big.dat", "<InstallPath>", 0, noise(2'300'000, 1)},
        {"small.txt", "<InstallPath>\\Lang", 4, "a few bytes"},
    };
    std::vector<vnpack::manifest_entry> entries;
    for (const auto& file : files) {
        ASSERT_TRUE(test_support::write_file(dir / file.source_path, file.content));
        entries.push_back({file.source_path, dir / file.source_path, file.folder, file.kind, 1});
    }
    std::ostringstream out;
    vnpack::pack_archive(entries, out);
    fs::remove_all(dir);
    const std::string compressed = out.str();
    const std::string archive = vnpack::build_archive(files);

    EXPECT_EQ(compressed.substr(0, 4), "BZh9");
    EXPECT_TRUE(bzip2_dc(compressed) == archive);
    EXPECT_TRUE(decompress_payload(compressed) == archive);
    // The first blocks end after the ramp's input; the rest are full but for the last.
    const auto sizes = block_sizes(compressed);
    ASSERT_GE(sizes.size(), 2u);
    EXPECT_EQ(sizes[0], first_step);
    EXPECT_EQ(sizes[1], second_step);
    for (std::size_t i = 2; i + 1 < sizes.size(); ++i) {
        EXPECT_GT(sizes[i], 800'000u) << "block " << i;
    }
}

TEST(RampedBzip2Writer, EndsBlocksWhereTheRampSaysWhateverTheInput) {
    const std::vector<std::size_t> default_ramp(vnpack::payload_block_ramp.begin(), vnpack::payload_block_ramp.end());
    struct case_ {
        const char* name;
        std::size_t size;
        std::vector<std::size_t> ramp;
        std::vector<std::size_t> blocks;
    };
    const case_ cases[] = {
        {"empty", 0, default_ramp, {}},
        {"one byte", 1, default_ramp, {1}},
        {"less than the first step", 5000, default_ramp, {5000}},
        {"exactly the first step", first_step, default_ramp, {first_step}},
        {"one byte more", first_step + 1, default_ramp, {first_step, 1}},
        {"an empty step is skipped", 10'000, {1000, 0, 3000}, {1000, 3000, 6000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string data = noise(c.size, 2);
        // Pieces of an odd size, so that the steps fall inside a write.
        const std::string compressed = compress(data, c.ramp, 777);
        EXPECT_EQ(compressed.substr(0, 4), "BZh9");
        EXPECT_EQ(block_sizes(compressed), c.blocks);
        EXPECT_TRUE(bzip2_dc(compressed) == data);
        EXPECT_TRUE(decompress_payload(compressed) == data);
    }
}

TEST(RampedBzip2Writer, ReportsAnOutputThatCannotBeWritten) {
    const std::string data = noise(first_step + 1000, 3);
    struct case_ {
        const char* name;
        std::size_t room;
        bool sync_fails;
    };
    const case_ cases[] = {
        {"from the start", 0, false},
        {"in the middle", 5000, false},
        {"only its flush", std::size_t{1} << 30, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        failing_buffer buffer(c.room, c.sync_fails);
        std::ostream out(&buffer);
        try {
            vnpack::ramped_bzip2_writer writer(out);
            writer.write(data.data(), data.size());
            writer.finish();
            ADD_FAILURE() << "no error";
        } catch (const vnpack::bzip2_write_error& e) {
            EXPECT_STREQ(e.what(), "the output cannot be written");
        }
    }
    // The packer reports it as its own error.
    const fs::path dir = fs::temp_directory_path() / fs::unique_path("vnpack-ramp-%%%%-%%%%");
    ASSERT_TRUE(test_support::write_file(dir / "file.dat", data));
    failing_buffer buffer(0, false);
    std::ostream out(&buffer);
    EXPECT_THROW(vnpack::pack_archive({{"file.dat", dir / "file.dat", "<InstallPath>", 0, 1}}, out),
                 vnpack::pack_error);
    fs::remove_all(dir);
}
