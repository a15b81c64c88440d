#include "archive_format.hpp"
#include "manifest.hpp"
#include "payload/archive_writer.hpp"
#include "payload/decompression.hpp"
#include "payload/vn/memstream.hpp"
#include "support/file_content.hpp"
#include "support/memory_archive_target.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = boost::filesystem;

namespace {

const std::string vnpack_program = QUILLON_BINARY_DIR "/bin/vnpack";

int run(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using test_support::read_file;
using test_support::write_file;

class Vnpack : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / fs::unique_path("vnpack-%%%%-%%%%");
        fs::create_directories(dir / "product" / "lang");
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
};

}  // namespace

TEST_F(Vnpack, PacksFilesThatTheArchiveWriterReadsBack) {
    std::mt19937 random(3);
    std::string noise(300000, '\0');
    for (auto& c : noise) {
        c = static_cast<char>(random());
    }
    write_file(dir / "product" / "quillon", noise);
    write_file(dir / "product" / "lang" / "Quillon.de.dll", "Deutsch");
    write_file(dir / "product" / "empty.dat", "");
    write_file(dir / "product" / "Übersicht.txt", "overview");
    write_file(dir / "manifest",
               "# the product\r\n"
               "product/quillon | <InstallPath> | main_program\r\n"
               "\n"
               "   # indented comment\n"
               "product/lang/Quillon.de.dll|<InstallPath>\\Lang|0\n" +
                   (dir / "product" / "empty.dat").string() + " | <CommonData>\\Vintrel\\Quillon 7 | 3\n" +
                   "product/Übersicht.txt | <SamplePath> | sample_data\n");
    ASSERT_EQ(run(vnpack_program + " " + (dir / "manifest").string() + " " + (dir / "payload.bz2").string()), 0);

    const std::string compressed = read_file(dir / "payload.bz2");
    EXPECT_EQ(compressed.substr(0, 4), "BZh9");
    vn::imemstream source(compressed.data(), compressed.size());
    test_support::memory_archive_target target;
    payload::archive_writer writer(
        "/inst", "/samples", "", [](payload::notification) { return payload::notification::result::proceed; }, target);
    payload::decompress_payload(source,
                                [&](const char* bytes, std::streamsize count) { return writer.write(bytes, count); });

    const auto& entries = writer.entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].source_name,
              "product/quillon");  // as written: the payload does not depend on the build folder
    EXPECT_EQ(entries[0].kind, payload::entry_kind::main_program);
    EXPECT_EQ(entries[0].size, noise.size());
    EXPECT_EQ(entries[0].crc, vnpack::crc32_of(noise));
    EXPECT_EQ(entries[1].destination, "/inst/Lang/Quillon.de.dll");
    EXPECT_EQ(entries[2].destination, "/common/Vintrel/Quillon 7/empty.dat");
    EXPECT_EQ(entries[2].kind, payload::entry_kind::shared_data);
    EXPECT_EQ(entries[3].destination, "/samples/Übersicht.txt");
    EXPECT_EQ(target.files.at("/inst/quillon").bytes, noise);
    EXPECT_EQ(target.files.at("/inst/Lang/Quillon.de.dll").bytes, "Deutsch");
    EXPECT_EQ(target.files.at("/common/Vintrel/Quillon 7/empty.dat").size, 0u);
    EXPECT_EQ(target.files.at("/samples/Übersicht.txt").bytes, "overview");
    EXPECT_EQ(writer.bytes_done(), writer.bytes_total());
}

TEST(VnpackManifest, ReadsEntriesAndNamesTheLineOfAnError) {
    std::istringstream good("a|b.txt | <InstallPath>\\Lang | 4\n/abs/file\t|\t<Temporary>\t|\ttemporary\n");
    const auto entries = vnpack::read_manifest(good, "/base");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].source_text, "a|b.txt");  // the last two separators split the line
    EXPECT_EQ(entries[0].source_file, "/base/a|b.txt");
    EXPECT_EQ(entries[0].folder, "<InstallPath>\\Lang");
    EXPECT_EQ(entries[0].kind, 4u);
    EXPECT_EQ(entries[1].source_file, "/abs/file");
    EXPECT_EQ(entries[1].kind, 5u);
    EXPECT_EQ(entries[1].line, 2u);

    const std::string bad_lines[] = {
        "file.txt | <InstallPath>",          "file.txt | <InstallPath> | 6",
        "file.txt | <InstallPath> | shared", " | <InstallPath> | 0",
        "dir/ | <InstallPath> | 0",          "file.txt | <InstallPath>\\..\\.. | 0",
        "file\xff.txt | <InstallPath> | 0",
    };
    for (const auto& line : bad_lines) {
        std::istringstream in("# fine\nok.txt | <InstallPath> | 0\n" + line + "\n");
        try {
            vnpack::read_manifest(in, "/base", "m");
            ADD_FAILURE() << "accepted: " << line;
        } catch (const vnpack::manifest_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("m:3: ", 0), 0u) << e.what();
        }
    }
}

TEST_F(Vnpack, FailsWithoutLeavingAnOutput) {
    write_file(dir / "missing-source", "nothing.dat | <InstallPath> | 0\n");
    write_file(dir / "bad-line", "this line has no fields\n");
    for (const char* manifest : {"missing-source", "bad-line", "no-such-manifest"}) {
        SCOPED_TRACE(manifest);
        EXPECT_EQ(run(vnpack_program + " " + (dir / manifest).string() + " " + (dir / "out.bz2").string()), 1);
    }
    EXPECT_EQ(run(vnpack_program + " only-one-argument"), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);  // product, two manifests
}
