#include "payload/decompression.hpp"
#include "archive_format.hpp"
#include "payload/compress_error.hpp"
#include "payload/verify_payload.hpp"
#include "writer_run.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>

namespace {

// Files large enough to take many blocks, some of them incompressible.
std::vector<vnpack::memory_file> sample_files() {
    std::mt19937 random(7);
    std::string noise(50000, '\0');
    for (auto& c : noise) {
        c = static_cast<char>(random());
    }
    return {
        {"readme.txt", "<InstallPath>", 0, std::string(30000, 'r')},
        {"noise.bin", "<InstallPath>\\Data", 3, noise},
        {"empty.txt", "<InstallPath>", 0, ""},
    };
}

int error_of(const std::function<void()>& run) {
    try {
        run();
    } catch (const std::system_error& e) {
        EXPECT_EQ(&e.code().category(), &payload::compress_category()) << e.what();
        return e.code().value();
    }
    return 0;
}

}  // namespace

TEST(Decompression, VerifiesAndThenExtractsThePayload) {
    const auto archive = vnpack::build_archive(sample_files());
    const auto compressed = vnpack::bzip2_compress(archive);
    vn::imemstream source(compressed.data(), compressed.size());

    EXPECT_TRUE(payload::verify_payload(source));
    EXPECT_EQ(source.rdbuf()->sgetc(), std::char_traits<char>::eof());  // read to its end

    source.seekg(0);
    payload_test::writer_run run;
    std::streamsize largest_block = 0;
    const auto read = payload::decompress_payload(source, [&](const char* bytes, std::streamsize count) {
        largest_block = std::max(largest_block, count);
        return run.writer.write(bytes, count);
    });
    EXPECT_EQ(read, compressed.size());
    EXPECT_LE(largest_block, payload::pipeline_block_size);
    EXPECT_EQ(run.writer.bytes_done(), archive.size());
    EXPECT_EQ(run.writer.bytes_total(), archive.size());
    for (const auto& file : sample_files()) {
        const auto folder = file.folder == "<InstallPath>" ? std::string("/inst/") : std::string("/inst/Data/");
        EXPECT_EQ(run.target.files.at(folder + file.source_path).bytes, file.content) << file.source_path;
    }
}

TEST(Decompression, DamagedDataIsABadStreamWhateverErrnoHolds) {
    const auto compressed = vnpack::bzip2_compress(vnpack::build_archive(sample_files()));
    auto flipped = compressed;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x10);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"flipped byte", flipped},
        {"cut short", compressed.substr(0, compressed.size() - 100)},
        {"garbage after the stream", compressed + "garbage"},
        {"not bzip2", "plain text, not compressed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        vn::imemstream source(c.bytes.data(), c.bytes.size());
        errno = EACCES;  // stale, from something earlier
        EXPECT_EQ(error_of([&] { payload::verify_payload(source); }), 6);
    }
}

TEST(Decompression, EmptySourceIsABadStream) {
    vn::imemstream empty;
    EXPECT_EQ(error_of([&] { payload::verify_payload(empty); }), 6);
}

TEST(Decompression, FailureOfTheOutputEndPassesUnchangedAndOnlyOnce) {
    const auto compressed = vnpack::bzip2_compress(vnpack::build_archive(sample_files()));
    // In the middle of the stream, and in its very last block, which arrives while the
    // decompressor is being closed.
    for (const std::string stop_at : {"begin /inst/Data/noise.bin", "end /inst/empty.txt"}) {
        SCOPED_TRACE(stop_at);
        vn::imemstream source(compressed.data(), compressed.size());
        payload_test::writer_run run;
        run.answer = [&](const std::string& event) {
            return event == stop_at ? payload::notification::result::stop : payload::notification::result::proceed;
        };
        EXPECT_EQ(error_of([&] {
                      payload::decompress_payload(source, [&](const char* bytes, std::streamsize count) {
                          return run.writer.write(bytes, count);
                      });
                  }),
                  5);
        EXPECT_EQ(run.events.back(), stop_at);  // nothing after the failure
    }
}

TEST(Decompression, SourceInAFailedStateDoesNotVerify) {
    const auto compressed = vnpack::bzip2_compress(vnpack::build_archive(sample_files()));
    vn::imemstream source(compressed.data(), compressed.size());
    source.setstate(std::ios::failbit);
    EXPECT_FALSE(payload::verify_payload(source));
}
