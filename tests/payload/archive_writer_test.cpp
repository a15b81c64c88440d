#include "archive_format.hpp"
#include "payload/archive_index.hpp"
#include "payload/compress_error.hpp"
#include "writer_run.hpp"

#include <gtest/gtest.h>

#include <limits>

using payload::notification;
using payload_test::writer_run;

namespace {

const std::string build_path_dll = "D:\\build\\x86\\Release\\Quillon.de.dll";

std::vector<vnpack::memory_file> three_files() {
    return {
        {build_path_dll, "<InstallPath>\\Lang", 0, "German strings"},
        {"data/Materials.dat", "<CommonData>\\Vintrel\\Materials", 3, std::string(5000, 'm')},
        {"setup.bin", "<Temporary>", 5, "setup"},
    };
}

std::uint64_t index_size_of(const std::string& archive) {
    std::uint64_t size = 0;
    for (int i = 0; i < 8; ++i) {
        size |= std::uint64_t{static_cast<unsigned char>(archive[i])} << (8 * i);
    }
    return size;
}

// Runs the writer and returns the compress error it ended with (0 if none).
int compress_error_of(writer_run& run, const std::string& archive, std::size_t block = 4096) {
    try {
        run.feed(archive, block);
    } catch (const std::system_error& e) {
        EXPECT_EQ(&e.code().category(), &payload::compress_category()) << e.what();
        return e.code().value();
    }
    return 0;
}

}  // namespace

TEST(ArchiveWriter, ReadsTheIndexAndWritesEveryEntryWhateverTheBlocks) {
    const auto archive = vnpack::build_archive(three_files());
    const auto index_size = index_size_of(archive);
    for (const std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, archive.size()}) {
        SCOPED_TRACE(block);
        writer_run run;
        run.feed(archive, block);

        const auto& entries = run.writer.entries();
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(entries[0].source_name, build_path_dll);
        EXPECT_EQ(entries[0].destination, "/inst/Lang/Quillon.de.dll");  // only the file name of the build path
        EXPECT_EQ(entries[1].destination, "/common/Vintrel/Materials/Materials.dat");
        EXPECT_EQ(entries[1].kind, payload::entry_kind::shared_data);
        EXPECT_EQ(entries[1].size, 5000u);
        EXPECT_EQ(entries[2].destination, "/work/setup.bin");
        EXPECT_EQ(entries[2].crc, vnpack::crc32_of("setup"));

        EXPECT_EQ(run.target.files.at("/inst/Lang/Quillon.de.dll").bytes, "German strings");
        EXPECT_EQ(run.target.files.at("/common/Vintrel/Materials/Materials.dat").bytes, std::string(5000, 'm'));
        EXPECT_EQ(run.target.files.at("/work/setup.bin").bytes, "setup");

        // The index is announced before any entry, with the index counted as done.
        ASSERT_FALSE(run.events.empty());
        EXPECT_EQ(run.events[0], "progress " + std::to_string(index_size) + "/" + std::to_string(archive.size()));
        EXPECT_EQ(run.entry_events(), (std::vector<std::string>{
                                          "begin /inst/Lang/Quillon.de.dll",
                                          "end /inst/Lang/Quillon.de.dll",
                                          "begin /common/Vintrel/Materials/Materials.dat",
                                          "end /common/Vintrel/Materials/Materials.dat",
                                          "begin /work/setup.bin",
                                          "end /work/setup.bin",
                                      }));
        EXPECT_EQ(run.writer.index_size(), index_size);
        EXPECT_EQ(run.writer.bytes_done(), archive.size());
        EXPECT_EQ(run.writer.bytes_total(), archive.size());
        EXPECT_EQ(run.writer.entry_number(), 4u);
        EXPECT_EQ(run.writer.open_entry(), nullptr);
    }
}

TEST(ArchiveWriter, BlockAcrossABoundaryIsTakenInPieces) {
    const auto archive = vnpack::build_archive(three_files());
    const auto index_size = static_cast<std::streamsize>(index_size_of(archive));
    writer_run run;
    auto& writer = run.writer;
    const char* p = archive.data();

    // The header size, then the rest of the index only: nothing of the first file.
    EXPECT_EQ(writer.write(p, index_size + 100), 8);
    EXPECT_EQ(writer.write(p + 8, index_size + 92), index_size - 8);
    EXPECT_EQ(run.events, (std::vector<std::string>{"progress " + std::to_string(index_size) + "/" +
                                                    std::to_string(archive.size())}));
    EXPECT_EQ(writer.entry_number(), 1u);

    // A block holding the end of the first file and the start of the second: the first file only.
    p += index_size;
    EXPECT_EQ(writer.write(p, 100), 14);
    EXPECT_EQ(run.events.back(), "end /inst/Lang/Quillon.de.dll");
    EXPECT_EQ(writer.write(p + 14, 86), 86);
    EXPECT_EQ(run.events.back(), "progress " + std::to_string(index_size + 100) + "/" + std::to_string(archive.size()));
    ASSERT_NE(writer.open_entry(), nullptr);
    EXPECT_EQ(writer.open_entry()->destination, "/common/Vintrel/Materials/Materials.dat");
}

TEST(ArchiveWriter, EntriesWithoutBytesAreWrittenWherevertheyStand) {
    const auto archive = vnpack::build_archive({
        {"first.txt", "<InstallPath>", 0, ""},
        {"a.txt", "<InstallPath>", 0, "aaa"},
        {"middle.txt", "<InstallPath>", 0, ""},
        {"b.txt", "<InstallPath>", 0, "bbb"},
        {"last.txt", "<InstallPath>", 0, ""},
        {"very-last.txt", "<InstallPath>", 0, ""},
    });
    for (const std::size_t block : {std::size_t{1}, archive.size()}) {
        writer_run run;
        run.feed(archive, block);
        std::vector<std::string> expected;
        for (const char* name : {"first.txt", "a.txt", "middle.txt", "b.txt", "last.txt", "very-last.txt"}) {
            expected.push_back(std::string("begin /inst/") + name);
            expected.push_back(std::string("end /inst/") + name);
            EXPECT_EQ(run.target.files.count(std::string("/inst/") + name), 1u) << name;
        }
        EXPECT_EQ(run.entry_events(), expected);
        EXPECT_EQ(run.target.files.at("/inst/middle.txt").size, 0u);
        EXPECT_EQ(run.writer.entry_number(), 7u);
    }

    // An archive of empty files only is complete with its index.
    writer_run run;
    run.feed(vnpack::build_archive({{"x", "<InstallPath>", 0, ""}, {"y", "<InstallPath>", 0, ""}}), 4096);
    EXPECT_EQ(run.entry_events(),
              (std::vector<std::string>{"begin /inst/x", "end /inst/x", "begin /inst/y", "end /inst/y"}));
    EXPECT_EQ(run.writer.bytes_done(), run.writer.bytes_total());
}

TEST(ArchiveWriter, SkippedEntryIsCountedButNotStored) {
    const auto archive = vnpack::build_archive(three_files());
    writer_run run;
    run.answer = [](const std::string& event) {
        return event == "begin /common/Vintrel/Materials/Materials.dat" ? notification::result::skip
                                                                        : notification::result::proceed;
    };
    run.feed(archive, 1000);
    EXPECT_EQ(run.target.files.count("/common/Vintrel/Materials/Materials.dat"), 0u);
    EXPECT_EQ(run.entry_events(), (std::vector<std::string>{
                                      "begin /inst/Lang/Quillon.de.dll",
                                      "end /inst/Lang/Quillon.de.dll",
                                      "begin /common/Vintrel/Materials/Materials.dat",
                                      "begin /work/setup.bin",
                                      "end /work/setup.bin",
                                  }));
    EXPECT_EQ(run.writer.bytes_done(), archive.size());
}

TEST(ArchiveWriter, StopEndsWithInterruptedAndTheWriterSwallowsTheRest) {
    const auto archive = vnpack::build_archive(three_files());
    for (const std::string stop_at : {"progress", "begin /work/setup.bin", "end /inst/Lang/Quillon.de.dll"}) {
        SCOPED_TRACE(stop_at);
        writer_run run;
        run.answer = [&](const std::string& event) {
            return event.rfind(stop_at, 0) == 0 ? notification::result::stop : notification::result::proceed;
        };
        EXPECT_EQ(compress_error_of(run, archive), 5);
        EXPECT_TRUE(run.writer.broken());
        const auto events = run.events.size();
        EXPECT_EQ(run.writer.write(archive.data(), 10), 10);
        EXPECT_EQ(run.events.size(), events);
    }

    writer_run run;
    run.answer = [](const std::string& event) {
        return event.rfind("progress", 0) == 0 ? notification::result::stop : notification::result::proceed;
    };
    compress_error_of(run, archive);
    EXPECT_TRUE(run.target.opened.empty());  // stopped before any file
}

TEST(ArchiveWriter, StoredFileThatReadsBackWrongIsInvalidChecksum) {
    writer_run run;
    run.target.damaged.insert("Materials.dat");
    EXPECT_EQ(compress_error_of(run, vnpack::build_archive(three_files())), 3);
    ASSERT_NE(run.writer.open_entry(), nullptr);  // the failure names this entry
    EXPECT_EQ(run.writer.open_entry()->destination, "/common/Vintrel/Materials/Materials.dat");
    EXPECT_EQ(run.entry_events().back(), "begin /common/Vintrel/Materials/Materials.dat");
}

TEST(ArchiveWriter, EntryStreamThatCannotBeOpenedFailsAtOnce) {
    writer_run run;
    run.target.unopenable.insert("setup.bin");
    EXPECT_THROW(run.feed(vnpack::build_archive(three_files()), 4096), std::ios_base::failure);
    ASSERT_NE(run.writer.open_entry(), nullptr);
    EXPECT_EQ(run.writer.open_entry()->destination, "/work/setup.bin");
    EXPECT_TRUE(run.writer.broken());
}

TEST(ArchiveWriter, ByteBeyondTheLastEntryIsUnexpected) {
    writer_run run;
    EXPECT_EQ(compress_error_of(run, vnpack::build_archive(three_files()) + "x"), 7);
    EXPECT_EQ(run.entry_events().back(), "end /work/setup.bin");
}

TEST(ArchiveWriter, UnsafeOrInconsistentIndexIsRefusedBeforeAnythingHappens) {
    using vnpack::archive_bytes;
    const auto index_with = [](const std::function<void(archive_bytes&)>& body) {
        archive_bytes rest;
        body(rest);
        return archive_bytes().u64(8 + rest.str().size()).raw(rest.str()).str();
    };
    const auto one_entry = [&](const std::string& source, const std::string& folder) {
        return vnpack::build_archive({{source, folder, 0, "x"}});
    };
    const auto max = std::numeric_limits<std::uint64_t>::max();
    auto cut_short = vnpack::encode_index({{"a.txt", "<InstallPath>", 0, 0, 0}});
    cut_short[0] = static_cast<char>(cut_short[0] - 1);  // the crc runs past the index

    const struct {
        const char* what;
        std::string archive;
    } cases[] = {
        {"index size below its header", archive_bytes().u64(11).u32(0).str()},
        {"index size beyond any real index", archive_bytes().u64(payload::max_index_size + 1).u32(0).str()},
        {"entry count beyond the index", index_with([](auto& b) { b.u32(0xFFFFFFFF).raw(std::string(48, '\0')); })},
        {"source length beyond the index",
         index_with([](auto& b) { b.u32(1).u32(0x7FFFFFFF).raw(std::string(40, 'a')); })},
        {"folder length beyond the index",
         index_with([](auto& b) { b.u32(1).text("a.txt").u32(0xFFFFFFFF).raw(std::string(40, 'a')); })},
        {"fields beyond the index", cut_short},
        {"unpaired surrogate",
         index_with([](auto& b) { b.u32(1).units(u"a\xD800.txt").text("<InstallPath>").u32(0).u64(0).u32(0); })},
        {"sizes beyond 64 bits", index_with([&](auto& b) {
             b.u32(2).text("a").text("<InstallPath>").u32(0).u64(max / 2).u32(0);
             b.text("b").text("<InstallPath>").u32(0).u64(max / 2).u32(0);
         })},
        {"file name ..", one_entry("build\\..", "<InstallPath>")},
        {"no file name", one_entry("build\\", "<InstallPath>")},
        {"folder above its base", one_entry("a.txt", "<InstallPath>\\Lang\\..\\..\\etc")},
        {"relative folder above the current one", one_entry("a.txt", "..")},
        {"line break in the file name", one_entry("build\\a\nb.dat", "<InstallPath>")},
        {"tab in the folder", one_entry("a.txt", "<InstallPath>\\La\tng")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writer_run run;
        EXPECT_EQ(compress_error_of(run, c.archive), 7);
        EXPECT_TRUE(run.writer.broken());
        EXPECT_EQ(run.target.resolved, 0);
        EXPECT_TRUE(run.target.opened.empty());
        EXPECT_TRUE(run.events.empty());
    }
}

// A later entry with an earlier one's destination would silently replace it: a data file named like
// the main program would become the main program.
TEST(ArchiveWriter, TwoEntriesWithOneDestinationAreRefusedBeforeAnythingIsWritten) {
    const struct {
        const char* what;
        std::vector<vnpack::memory_file> files;
        int error;
    } cases[] = {
        {"data named like the main program",
         {{"out/quillon", "<InstallPath>", 1, "program"}, {"data/quillon", "<InstallPath>", 3, "data"}},
         7},
        {"the same place through . and ..",
         {{"a.dat", "<InstallPath>\\Lang", 0, "a"}, {"b/a.dat", "<InstallPath>\\.\\Bin\\..\\Lang", 0, "b"}},
         7},
        {"one name in two folders", {{"a.dat", "<InstallPath>\\Lang", 0, "a"}, {"a.dat", "<InstallPath>", 0, "b"}}, 0},
        {"names differing in case", {{"a.dat", "<InstallPath>", 0, "a"}, {"A.dat", "<InstallPath>", 0, "b"}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writer_run run;
        EXPECT_EQ(compress_error_of(run, vnpack::build_archive(c.files)), c.error);
        EXPECT_EQ(run.target.opened.size(), c.error == 0 ? 2u : 0u);
        if (c.error != 0) {
            EXPECT_TRUE(run.events.empty());
        }
    }
}
