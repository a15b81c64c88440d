#include "uninstall_log/installation_record.hpp"

#include "support/file_content.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <functional>

namespace fs = boost::filesystem;

namespace {

class InstallationRecordFile : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir);
        ASSERT_TRUE(test_support::write_file(log, "the log"));
        record.written["/opt/Vintrel/Quillon 7/quillon"] = {1234, 0xdeadbeef, 1'700'000'000'123'456'789};
        record.written["/home/u/Documents/Quillon Examples/Sample 01.qln"] = {0, 0, -5};
        record.keptPreexisting.insert("/var/opt/Vintrel/Quillon 7/Brushes.qbr");
        record.createdKeys = {"Software\\Classes", "Software"};
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir = fs::temp_directory_path() / fs::unique_path("record-%%%%-%%%%");
    fs::path log = dir / "Uninstall.ulog";
    fs::path file = dir / "Uninstall.ulog.record";
    InstallationRecord record;
};

TEST_F(InstallationRecordFile, ReadsBackWhatWasWritten) {
    ASSERT_TRUE(WriteInstallationRecord(file, log, record));
    const ReadRecord read = ReadInstallationRecord(file, log);
    EXPECT_EQ(read.state, RecordState::valid);
    EXPECT_EQ(read.record, record);
}

// Whatever is wrong with the record, it says nothing about any file.
TEST_F(InstallationRecordFile, GivesNoJudgementFromARecordItCannotTrust) {
    const std::string written = [&] {
        EXPECT_TRUE(WriteInstallationRecord(file, log, record));
        return test_support::read_file(file);
    }();
    const struct {
        const char* what;
        std::function<void()> spoil;
        RecordState state;
    } cases[] = {
        {"missing", [&] { fs::remove(file); }, RecordState::missing},
        {"cut short", [&] { test_support::write_file(file, written.substr(0, written.size() - 20)); },
         RecordState::damaged},
        {"a changed byte",
         [&] {
             std::string text = written;
             text[text.find("1234")] = '9';
             test_support::write_file(file, text);
         },
         RecordState::damaged},
        {"another format", [&] { test_support::write_file(file, "something else\n"); }, RecordState::foreign},
        {"the log replaced", [&] { test_support::write_file(log, "another log"); }, RecordState::foreign},
        {"a folder in its place",
         [&] {
             fs::remove(file);
             fs::create_directory(file);
         },
         RecordState::damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(file);
        ASSERT_TRUE(test_support::write_file(log, "the log"));
        ASSERT_TRUE(test_support::write_file(file, written));
        c.spoil();
        const ReadRecord read = ReadInstallationRecord(file, log);
        EXPECT_EQ(read.state, c.state);
        EXPECT_EQ(read.record, InstallationRecord{});
    }
}

// On a reinstallation the previous word on a file stays until this run writes the file again.
TEST_F(InstallationRecordFile, MergesThePreviousRecordWithThisRun) {
    const fs::path rewritten = dir / "rewritten";
    const fs::path keptAgain = dir / "kept again";
    ASSERT_TRUE(test_support::write_file(rewritten, "new content"));
    UninstallLog log;
    const auto add = [](std::list<UninstallLogEntry>& list, const fs::path& path, bool done, bool kept) {
        list.push_back({UninstallLogEntry::File, path.string(), "", done, 0, kept, {}});
    };
    add(log.previousEntries, "/old/untouched", true, false);
    add(log.previousEntries, "/old/shared", true, false);
    add(log.previousEntries, rewritten, true, false);
    add(log.entries, rewritten, true, false);
    add(log.entries, keptAgain, true, true);
    add(log.entries, dir / "failed", false, false);
    InstallationRecord previous;
    previous.written["/old/untouched"] = {1, 2, 3};
    previous.written[rewritten.string()] = {9, 9, 9};
    previous.written["/not/in/the/log"] = {4, 5, 6};
    previous.keptPreexisting = {"/old/shared", keptAgain.string()};
    previous.createdKeys = {"Software"};

    const InstallationRecord merged = BuildInstallationRecord(log, previous, {"Software\\Classes", "Software"});
    std::error_code error;
    const auto measured = platform::kernel::fingerprint_file(rewritten, error);
    ASSERT_TRUE(measured) << error.message();
    EXPECT_EQ(measured->size, 11u);
    InstallationRecord expected;
    expected.written = {{"/old/untouched", {1, 2, 3}}, {rewritten.string(), *measured}};
    expected.keptPreexisting = {"/old/shared", keptAgain.string()};
    expected.createdKeys = {"Software", "Software\\Classes"};
    EXPECT_EQ(merged, expected);
}

}  // namespace
