#include "payload/extraction.hpp"
#include "archive_format.hpp"
#include "payload/compress_error.hpp"
#include "payload/entry_files.hpp"
#include "platform/kernel/shared_file.hpp"
#include "platform/kernel/win32_error.hpp"
#include "support/file_content.hpp"
#include "support/sandbox_machine.hpp"
#include "support/security_fixtures.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/exception.hpp>
#include <boost/filesystem/fstream.hpp>
#include <boost/filesystem/operations.hpp>

#include <sys/mount.h>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>
#include <thread>

namespace fs = boost::filesystem;
using payload::notification;

namespace {

std::string noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (auto& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

using test_support::read_file;

std::string getfacl(const fs::path& path) {
    return test_support::command_output("getfacl -p '" + path.string() + "' 2>/dev/null");
}

bool users_granted(const fs::path& folder) {
    return getfacl(folder).find("default:group:users:rwx") != std::string::npos;
}

struct extraction_run {
    std::vector<std::string> events;
    std::vector<notification::failed> failures;
    std::function<notification::result(const std::string&)> answer = [](const std::string&) {
        return notification::result::proceed;
    };
    // Which recorded folders were open to Users when each entry began.
    std::function<void(const payload::archive_entry&)> on_begin;

    bool run(const std::string& archive, const fs::path& install, const fs::path& samples = "Quillon Examples",
             const fs::path& temp = {}) {
        return run_compressed(vnpack::bzip2_compress(archive), install, samples, temp);
    }

    bool run_compressed(const std::string& compressed, const fs::path& install, const fs::path& samples = {},
                        const fs::path& temp = {}) {
        std::istringstream source(compressed);
        payload::extract_settings settings{install,
                                           samples,
                                           temp,
                                           [this](notification message) {
                                               events.push_back(describe(message));
                                               return answer(events.back());
                                           },
                                           {}};
        return payload::extract_payload(source, settings);
    }

    std::string describe(const notification& message) {
        return std::visit(
            [this](const auto& m) -> std::string {
                using type = std::decay_t<decltype(m)>;
                if constexpr (std::is_same_v<type, notification::started>) {
                    return "started";
                } else if constexpr (std::is_same_v<type, notification::finished>) {
                    return "finished " + std::to_string(m.bytes_total);
                } else if constexpr (std::is_same_v<type, notification::entry_begin>) {
                    if (on_begin) {
                        on_begin(m.entry);
                    }
                    return "begin " + m.entry.destination.filename().string();
                } else if constexpr (std::is_same_v<type, notification::entry_end>) {
                    return "end " + m.entry.destination.filename().string();
                } else if constexpr (std::is_same_v<type, notification::progress>) {
                    return "progress";
                } else {
                    failures.push_back(m);
                    return "failed " + std::string(m.code.category().name()) + " " + std::to_string(m.code.value());
                }
            },
            message);
    }

    std::vector<std::string> without_progress() const {
        std::vector<std::string> result;
        for (const auto& e : events) {
            if (e != "progress") {
                result.push_back(e);
            }
        }
        return result;
    }
};

class Extraction : public test_support::sandbox_test {
protected:
    fs::path install() const { return machine.root() / "opt/Vintrel/Quillon 7"; }
    fs::path common_data() const { return machine.root() / "var/opt"; }
    fs::path samples() const { return machine.home() / "Desktop/Quillon Examples"; }
    fs::path temp() const { return machine.temp() / "run"; }

    void expect_failed(const extraction_run& run, std::error_code code, const fs::path& path) {
        ASSERT_EQ(run.failures.size(), 1u) << testing::PrintToString(run.events);
        EXPECT_EQ(run.failures[0].code, code) << run.failures[0].code.message();
        EXPECT_EQ(run.failures[0].path, path);
        EXPECT_EQ(run.events.back().rfind("failed", 0), 0u);
        EXPECT_EQ(std::count(run.events.begin(), run.events.end(), "started"), 1);
    }
};

std::error_code win32(std::uint32_t code) {
    return platform::kernel::make_win32_error(code);
}

}  // namespace

TEST_F(Extraction, WritesEveryKindToItsFolderAndOpensSharedFoldersOnce) {
    const std::vector<vnpack::memory_file> files = {
        {"D:\\build\\Release\\Quillon.exe", "<InstallPath>", 1, noise(9000, 1)},
        {"Quillon.de.dll", "<InstallPath>\\Lang", 0, "German strings"},
        {"empty.txt", "<InstallPath>", 0, ""},
        {"Materials.dat", "<CommonData>\\Vintrel\\Materials", 3, noise(20000, 2)},
        {"Wood.tex", "<CommonData>\\Vintrel\\Textures\\Quillon 7", 3, noise(5000, 3)},
        {"Stone.tex", "<CommonData>\\Vintrel\\Textures\\Quillon 7", 3, "stone"},
        {"Sample.qpr", "<SamplePath>", 4, "sample project"},
        {"Uninstall", "<InstallPath>", 2, "uninstaller"},
        {"dsetup.so", "<Temporary>", 5, noise(4096, 4)},
        {"trailing-empty.txt", "<InstallPath>", 0, ""},
    };
    const fs::path textures = common_data() / "Vintrel/Textures";
    extraction_run run;
    // Grants happen as the first file lands below each recorded folder, and stay.
    std::map<std::string, bool> materials_open_at;
    run.on_begin = [&](const payload::archive_entry& entry) {
        materials_open_at[entry.destination.filename().string()] = users_granted(common_data() / "Vintrel/Materials");
    };
    ASSERT_TRUE(run.run(vnpack::build_archive(files), install(), "Quillon Examples", temp()));

    const fs::path destinations[] = {
        install() / "Quillon.exe",
        install() / "Lang/Quillon.de.dll",
        install() / "empty.txt",
        common_data() / "Vintrel/Materials/Materials.dat",
        textures / "Quillon 7/Wood.tex",
        textures / "Quillon 7/Stone.tex",
        samples() / "Sample.qpr",
        install() / "Uninstall",
        temp() / "dsetup.so",
        install() / "trailing-empty.txt",
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(destinations[i].string());
        ASSERT_TRUE(fs::is_regular_file(destinations[i]));
        EXPECT_EQ(read_file(destinations[i]), files[i].content);
    }

    std::vector<std::string> expected{"started"};
    for (const auto& d : destinations) {
        expected.push_back("begin " + d.filename().string());
        expected.push_back("end " + d.filename().string());
    }
    const std::uint64_t archive_size = vnpack::build_archive(files).size();
    expected.push_back("finished " + std::to_string(archive_size));
    EXPECT_EQ(run.without_progress(), expected);
    EXPECT_EQ(run.events[1], "progress");  // the index, before any entry

    for (const auto& shared : {common_data() / "Vintrel", common_data() / "Vintrel/Materials", textures,
                               textures / "Quillon 7", samples()}) {
        EXPECT_TRUE(users_granted(shared)) << shared << "\n" << getfacl(shared);
    }
    for (const auto& closed : {common_data(), install(), temp(), machine.home() / "Desktop"}) {
        EXPECT_FALSE(users_granted(closed)) << closed;
    }
    EXPECT_FALSE(materials_open_at["Materials.dat"]);
    EXPECT_TRUE(materials_open_at["Wood.tex"]);
}

TEST_F(Extraction, GrantsEachRecordedFolderOnlyOnce) {
    // A grant taken away after the first file must not come back with the second.
    const std::vector<vnpack::memory_file> files = {
        {"a.dat", "<CommonData>\\Vintrel", 3, "a"},
        {"b.dat", "<CommonData>\\Vintrel", 3, "b"},
    };
    extraction_run run;
    run.on_begin = [&](const payload::archive_entry& entry) {
        if (entry.destination.filename() == "b.dat") {
            ASSERT_TRUE(users_granted(common_data() / "Vintrel"));
            ASSERT_EQ(std::system(("setfacl -b '" + (common_data() / "Vintrel").string() + "'").c_str()), 0);
        }
    };
    ASSERT_TRUE(run.run(vnpack::build_archive(files), install()));
    EXPECT_FALSE(users_granted(common_data() / "Vintrel"));
}

TEST_F(Extraction, OverwritesReadOnlyFilesAndRefusesLinks) {
    fs::create_directories(install());
    const fs::path read_only = install() / "old.dll";
    fs::ofstream(read_only) << "an older and longer version of the file";
    fs::permissions(read_only, fs::owner_read | fs::group_read);
    extraction_run run;
    ASSERT_TRUE(run.run(vnpack::build_archive({{"old.dll", "<InstallPath>", 0, "new"}}), install()));
    EXPECT_EQ(read_file(read_only), "new");
    EXPECT_NE(fs::status(read_only).permissions() & fs::owner_write, 0);

    // A link planted at a destination is never written through, and its target keeps its mode.
    const fs::path victim = machine.folder() / "victim";
    fs::ofstream(victim) << "precious";
    fs::permissions(victim, fs::owner_read);
    fs::create_symlink(victim, install() / "planted.dll");
    extraction_run linked;
    EXPECT_FALSE(linked.run(vnpack::build_archive({{"planted.dll", "<InstallPath>", 0, "evil"}}), install()));
    expect_failed(linked, win32(platform::kernel::win32::cant_resolve_filename), install() / "planted.dll");
    EXPECT_EQ(read_file(victim), "precious");
    EXPECT_EQ(fs::status(victim).permissions() & fs::all_all, fs::owner_read);
}

TEST_F(Extraction, ReportsEachFailureOnceWithItsCodeAndPath) {
    const auto archive = vnpack::build_archive({
        {"first.dat", "<InstallPath>", 0, noise(6000, 5)},
        {"second.dat", "<InstallPath>\\Data", 0, "second"},
    });
    const auto compress = [](payload::compress_errc e) { return payload::make_error_code(e); };

    {
        SCOPED_TRACE("a wrong CRC in the index");
        auto bad = vnpack::encode_index({{"first.dat", "<InstallPath>", 0, 4, vnpack::crc32_of("data") ^ 1}}) + "data";
        extraction_run run;
        EXPECT_FALSE(run.run(bad, install()));
        expect_failed(run, compress(payload::compress_errc::invalid_checksum), install() / "first.dat");
        EXPECT_EQ(read_file(install() / "first.dat"), "data");  // what was written stays
    }
    {
        SCOPED_TRACE("the archive stops short");
        extraction_run run;
        EXPECT_FALSE(run.run(archive.substr(0, archive.size() - 3), install()));
        expect_failed(run, compress(payload::compress_errc::unexpected), {});
        EXPECT_EQ(std::count(run.events.begin(), run.events.end(), "finished"), 0);
    }
    {
        SCOPED_TRACE("a byte beyond the last entry");
        extraction_run run;
        EXPECT_FALSE(run.run(archive + "x", install()));
        expect_failed(run, compress(payload::compress_errc::unexpected), {});
    }
    {
        SCOPED_TRACE("the compressed stream is cut");
        const auto compressed = vnpack::bzip2_compress(archive);
        extraction_run run;
        EXPECT_FALSE(run.run_compressed(compressed.substr(0, compressed.size() / 2), install()));
        ASSERT_EQ(run.failures.size(), 1u);
        EXPECT_EQ(run.failures[0].code, compress(payload::compress_errc::bad_stream));
    }
    {
        SCOPED_TRACE("a folder text that climbs out");
        const fs::path fresh = machine.folder() / "fresh";
        extraction_run run;
        EXPECT_FALSE(run.run(
            vnpack::build_archive({{"a", "<InstallPath>", 0, "a"}, {"passwd", "<InstallPath>\\..\\..\\etc", 0, "x"}}),
            fresh));
        expect_failed(run, compress(payload::compress_errc::unexpected), {});
        EXPECT_FALSE(fs::exists(fresh));  // refused before any file is written
    }
    {
        SCOPED_TRACE("the handler rejects the payload at the start");
        extraction_run run;
        std::istringstream source(vnpack::bzip2_compress(archive));
        payload::extract_settings settings{install(),
                                           {},
                                           {},
                                           [&](notification message) {
                                               if (message.index() == 0) {
                                                   throw std::system_error(payload::compress_errc::verify_failed);
                                               }
                                               run.describe(message);
                                               return notification::result::proceed;
                                           },
                                           {}};
        EXPECT_FALSE(payload::extract_payload(source, settings));
        ASSERT_EQ(run.failures.size(), 1u);
        EXPECT_EQ(run.failures[0].code, compress(payload::compress_errc::verify_failed));
    }
    {
        SCOPED_TRACE("a folder cannot be made where a file is");
        const fs::path blocked = machine.folder() / "blocked";
        fs::ofstream(blocked) << "a file";
        extraction_run run;
        EXPECT_FALSE(run.run(archive, blocked / "sub"));
        // ENOTDIR: the folder on the way is not a folder, as Windows' path-not-found.
        expect_failed(run, win32(platform::kernel::win32::path_not_found), blocked / "sub/first.dat");
    }
}

TEST_F(Extraction, AnswersStopAndSkip) {
    const auto archive = vnpack::build_archive({
        {"kept.dat", "<InstallPath>", 0, noise(10000, 6)},
        {"skipped.dat", "<InstallPath>", 0, noise(7000, 7)},
        {"last.dat", "<InstallPath>", 0, "last"},
    });
    {
        SCOPED_TRACE("stop at the first progress");
        extraction_run run;
        run.answer = [](const std::string& e) {
            return e == "progress" ? notification::result::stop : notification::result::proceed;
        };
        EXPECT_FALSE(run.run(archive, install()));
        expect_failed(run, payload::compress_errc::interrupted, {});
        EXPECT_FALSE(fs::exists(install()));
    }
    {
        SCOPED_TRACE("stop at an entry's end names that entry");
        extraction_run run;
        run.answer = [](const std::string& e) {
            return e == "end kept.dat" ? notification::result::stop : notification::result::proceed;
        };
        EXPECT_FALSE(run.run(archive, install()));
        expect_failed(run, payload::compress_errc::interrupted, install() / "kept.dat");
        fs::remove_all(install());
    }
    {
        SCOPED_TRACE("skip");
        extraction_run run;
        run.answer = [](const std::string& e) {
            return e == "begin skipped.dat" ? notification::result::skip : notification::result::proceed;
        };
        ASSERT_TRUE(run.run(archive, install()));
        EXPECT_FALSE(fs::exists(install() / "skipped.dat"));
        EXPECT_EQ(read_file(install() / "last.dat"), "last");
        EXPECT_EQ(std::count(run.events.begin(), run.events.end(), "end skipped.dat"), 0);
        EXPECT_EQ(run.events.back(), "finished " + std::to_string(archive.size()));
    }
}

TEST_F(Extraction, ReportsAFullDiskWithItsPath) {
    const fs::path small = machine.folder() / "small";
    fs::create_directories(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    struct unmount {
        fs::path at;
        ~unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount_after{small};

    extraction_run run;
    EXPECT_FALSE(run.run(vnpack::build_archive({{"fits.dat", "<InstallPath>", 0, noise(8000, 8)},
                                                {"too-big.dat", "<InstallPath>", 0, noise(200000, 9)}}),
                         small));
    expect_failed(run, win32(platform::kernel::win32::disk_full), small / "too-big.dat");
    EXPECT_EQ(read_file(small / "fits.dat").size(), 8000u);
}

TEST_F(Extraction, ChecksumReadingWaitsForAWriterToFinish) {
    const fs::path file = machine.folder() / "busy.dat";
    fs::ofstream(file) << "content";
    std::error_code error;
    auto writer = platform::kernel::open_shared_file(file, platform::kernel::file_access::write, error);
    ASSERT_TRUE(writer) << error.message();
    platform::kernel::write_all(writer.get(), "content");

    // While another opener writes, reading is a sharing violation; the retries outlast the writer.
    try {
        payload::file_crc32(file);
        ADD_FAILURE() << "read while another opener writes";
    } catch (const payload::file_error& e) {
        EXPECT_TRUE(payload::is_sharing_violation(e)) << e.what();
        EXPECT_EQ(e.path(), file);
    }
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        writer.reset();
    });
    EXPECT_EQ(payload::file_crc32_retrying(file, 3, std::chrono::milliseconds(500)), vnpack::crc32_of("content"));
    release.join();

    auto holder = platform::kernel::open_shared_file(file, platform::kernel::file_access::write, error);
    EXPECT_THROW(payload::file_crc32_retrying(file, 2, std::chrono::milliseconds(1)), payload::file_error);
}

TEST_F(Extraction, ChecksumOfAFileIsTheCrc32OfItsBytesAtEverySize) {
    // Sizes around the reads' block size, where a block boundary could lose or repeat bytes.
    std::mt19937 random(7);
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{262143},
                                   std::size_t{262144}, std::size_t{262145}, std::size_t{700001}}) {
        std::string content(size, '\0');
        std::generate(content.begin(), content.end(), [&random] { return static_cast<char>(random()); });
        const fs::path file = machine.folder() / ("sized-" + std::to_string(size) + ".dat");
        fs::ofstream(file, std::ios::binary) << content;
        EXPECT_EQ(payload::file_crc32(file), vnpack::crc32_of(content)) << size << " bytes";
    }
}

TEST(ExtractionFailure, ConvertsEveryKindOfFailureToOneCode) {
    using payload::compress_errc;
    namespace bs = boost::system;
    const auto code_of = [](auto failure) { return payload::failure_code(std::make_exception_ptr(failure)); };
    const auto win32_full = win32(platform::kernel::win32::disk_full);

    EXPECT_EQ(code_of(fs::filesystem_error("x", "/a/b", bs::error_code(ENOSPC, bs::system_category()))), win32_full);
    EXPECT_EQ(code_of(fs::filesystem_error("x", bs::error_code(ENOENT, bs::generic_category()))),
              std::error_code(ENOENT, std::generic_category()));
    EXPECT_EQ(code_of(std::system_error(ENOSPC, std::system_category())), win32_full);
    EXPECT_EQ(code_of(std::system_error(compress_errc::interrupted)),
              payload::make_error_code(compress_errc::interrupted));
    EXPECT_EQ(code_of(payload::file_error(win32(32), "/f", "x")), win32(32));
    EXPECT_EQ(code_of(std::ios_base::failure("stream")), payload::make_error_code(compress_errc::unexpected));
    EXPECT_EQ(code_of(std::bad_alloc()), payload::make_error_code(compress_errc::unexpected));
    EXPECT_EQ(code_of(std::length_error("long")), payload::make_error_code(compress_errc::unexpected));
    EXPECT_EQ(code_of(42), payload::make_error_code(compress_errc::unexpected));

    EXPECT_EQ(payload::failure_path(std::make_exception_ptr(
                  fs::filesystem_error("x", "/a/b", bs::error_code(EACCES, bs::system_category())))),
              "/a/b");
    EXPECT_EQ(payload::failure_path(std::make_exception_ptr(payload::file_error(win32(5), "/f", "x"))), "/f");
    EXPECT_TRUE(payload::failure_path(std::make_exception_ptr(std::bad_alloc())).empty());
}
