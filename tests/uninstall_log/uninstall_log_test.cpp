#include "uninstall_log/uninstall_log.hpp"
#include "platform/kernel/file_attributes.hpp"
#include "platform/text/utf_convert.hpp"
#include "support/file_content.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <fstream>
#include <random>
#include <sstream>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;

namespace {

class UninstallLogFile : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / fs::unique_path("ulog-%%%%-%%%%");
        fs::create_directories(dir / "install");
        fs::create_directories(dir / "menu");
        log = dir / "install" / "Uninstall.ulog";
    }
    void TearDown() override {
        kernel::set_file_attributes(log, kernel::file_attribute_normal);
        fs::remove_all(dir);
    }

    // The UTF-16LE file image of the given UTF-8 lines, each ended by CR LF.
    static std::string Utf16File(const std::vector<std::string>& lines) {
        std::u16string text = u"\uFEFF";
        for (const auto& line : lines) {
            text += platform::text::utf8_to_utf16(line) + u"\r\n";
        }
        return platform::text::utf16le_bytes(text);
    }

    std::vector<std::string> Header(const std::string& product) const {
        const std::string shortcut = "// Shortcut Path : " + (dir / "menu").string();
        return {"// Uninstall Log File v1",
                "// ############ WARNING: Do not delete or modify this file. ############",
                "// Install " + product,
                "// Install Path : " + (dir / "install").string(),
                shortcut,
                "// " + std::string(shortcut.size() - 3, '-')};
    }

    UninstallLog ReadBack() const {
        UninstallLog read;
        read.Read(&log);
        return read;
    }

    static UninstallLogEntry Entry(std::uint32_t kind, std::string path, bool done = true, int value = -1) {
        UninstallLogEntry e;
        e.kind = static_cast<EntryKind>(kind);
        e.path = std::move(path);
        e.done = done;
        e.value = value;
        return e;
    }

    fs::path dir;
    fs::path log;
};

}  // namespace

TEST_F(UninstallLogFile, WritesTheExactFileImage) {
    UninstallLog record;
    record.entries.push_back(Entry(0, (dir / "install").string()));
    record.entries.push_back(Entry(1, (dir / "install/q.bin").string(), true, 3));
    record.entries.push_back(Entry(5, ""));
    record.entries.push_back(Entry(6, "", false));
    ASSERT_TRUE(record.Save(log, (dir / "install").string(), (dir / "menu").string()));
    record.Commit();

    auto expected = Header("Quillon 7.02b");
    expected.push_back("0000:00ff:1 -- " + (dir / "install").string());
    expected.push_back("0001:0103:1 -- " + (dir / "install/q.bin").string());
    expected.push_back(
        "0002:05ff:1 -- HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon 7");
    expected.push_back("0003:06ff:0 -- HKEY_CLASSES_ROOT\\...");
    EXPECT_EQ(test_support::read_file(log), Utf16File(expected));
    EXPECT_EQ(kernel::file_attributes(log), 0x2021u);
}

TEST_F(UninstallLogFile, ReadsBackWhatItWrote) {
    UninstallLog record;
    for (std::uint32_t kind = 0; kind <= 7; ++kind) {
        record.entries.push_back(Entry(kind, "/some/path " + std::to_string(kind), kind % 2 == 0, kind == 1 ? 4 : -1));
    }
    record.entries.push_back(Entry(1, "/Ċ/ਊ/x", true, 0));  // code units holding a 0x0A byte
    ASSERT_TRUE(record.Save(log, (dir / "install").string(), (dir / "menu").string()));
    record.Commit();

    const UninstallLog read = ReadBack();
    EXPECT_EQ(read.installPath, (dir / "install").string());
    EXPECT_EQ(read.shortcutPath, (dir / "menu").string());
    EXPECT_EQ(read.previousProduct, "Quillon 7.02b");
    ASSERT_EQ(read.previousEntries.size(), record.entries.size());
    auto written = record.entries.begin();
    for (const auto& entry : read.previousEntries) {
        EXPECT_EQ(entry.kind, written->kind);
        EXPECT_EQ(entry.value, written->value);
        EXPECT_EQ(entry.done, written->done);
        EXPECT_EQ(entry.path, entry.kind == EntryKind::UninstallKey || entry.kind == EntryKind::RegistrationRun
                                  ? ""
                                  : written->path);
        ++written;
    }
}

TEST_F(UninstallLogFile, AnUpdateNamesTheVersionItReplaces) {
    auto lines = Header("Quillon 7.01 -- Update (Quillon 7.00)");
    lines.push_back("0000:00ff:1 -- " + (dir / "install").string());
    test_support::write_file(log, Utf16File(lines));
    UninstallLog record = ReadBack();
    EXPECT_EQ(record.previousProduct, "Quillon 7.01");
    ASSERT_TRUE(record.Save(log, record.installPath, record.shortcutPath));
    record.Commit();
    const std::string wanted = Utf16File({"// Install Quillon 7.02b -- Update (Quillon 7.01)"}).substr(2);
    EXPECT_NE(test_support::read_file(log).find(wanted), std::string::npos);
    EXPECT_EQ(ReadBack().previousProduct, "Quillon 7.02b");
}

TEST_F(UninstallLogFile, EightBitLogsReadLikeUtf16Ones) {
    auto lines = Header("Quillon 7.01");
    lines.push_back("0000:0101:1 -- /opt/caf\xC3\xA9.txt");
    std::string narrow;
    for (const auto& line : lines) {
        std::string converted;
        for (std::size_t i = 0; i < line.size(); ++i) {
            // é as the single byte of code page 1252
            if (line.compare(i, 2, "\xC3\xA9") == 0) {
                converted += '\xE9';
                ++i;
            } else {
                converted += line[i];
            }
        }
        narrow += converted + "\r\n";
    }
    test_support::write_file(log, narrow);
    const UninstallLog read = ReadBack();
    EXPECT_EQ(read.previousProduct, "Quillon 7.01");
    ASSERT_EQ(read.previousEntries.size(), 1u);
    EXPECT_EQ(read.previousEntries.front().path, "/opt/caf\xC3\xA9.txt");
    EXPECT_EQ(read.previousEntries.front().value, 1);
}

TEST_F(UninstallLogFile, MalformedLinesStopTheReadingAndKeepWhatCameBefore) {
    const struct {
        const char* line;
        std::size_t entries;
    } cases[] = {
        {"0001:0101:1 -- /b", 2},
        {"12345:0101:0 -- /b", 2},
        {"  7 : 01ff : 1 -- /b", 2},
        {"0001:0801:1 -- /b", 1},
        {"-001:0101:1 -- /b", 1},
        {"0001:0101:2 -- /b", 1},
        {"0001:0101:1 - /b", 1},
        {"0001:0101:1 --/b", 1},
        {"0001:zz:1 -- /b", 1},
        {"   ", 1},
        {"0001:0101", 1},
    };
    for (const auto& c : cases) {
        auto lines = Header("Quillon 7.01");
        lines.push_back("0000:0101:1 -- /a");
        lines.push_back(c.line);
        lines.push_back("0002:0101:1 -- /c");
        test_support::write_file(log, Utf16File(lines));
        const UninstallLog read = ReadBack();
        EXPECT_EQ(read.previousEntries.size(), c.entries == 2 ? 3u : 1u) << c.line;
        EXPECT_EQ(read.installPath, (dir / "install").string()) << c.line;
    }
}

TEST_F(UninstallLogFile, HeaderRulesDecideWhatIsRead) {
    {
        auto lines = Header("Quillon 7.01");
        lines[0] = "// Uninstall Log File v2";
        lines.push_back("0000:0101:1 -- /a");
        test_support::write_file(log, Utf16File(lines));
        const UninstallLog read = ReadBack();
        EXPECT_TRUE(read.previousEntries.empty());
        EXPECT_TRUE(read.installPath.empty());
        EXPECT_TRUE(read.previousProduct.empty());
    }
    {
        // An empty shortcut path loses its label's blank to the trimming; the entries still count.
        UninstallLog record;
        record.entries.push_back(Entry(1, "/a", true, 1));
        ASSERT_TRUE(record.Save(log, "", ""));
        record.Commit();
        const UninstallLog read = ReadBack();
        EXPECT_TRUE(read.installPath.empty());
        EXPECT_TRUE(read.shortcutPath.empty());
        EXPECT_EQ(read.previousEntries.size(), 1u);
    }
    {
        auto lines = Header("Quillon 7.01");
        lines[3] = "// Install Path : " + (dir / "vanished").string();
        lines.push_back("0000:0101:1 -- /a");
        test_support::write_file(log, Utf16File(lines));
        const UninstallLog read = ReadBack();
        EXPECT_TRUE(read.installPath.empty());
        EXPECT_EQ(read.shortcutPath, (dir / "menu").string());
        EXPECT_EQ(read.previousEntries.size(), 1u);
    }
    {
        auto lines = Header("Quillon 7.01");
        lines.push_back("0000:0101:1 -- /" + std::string(600, 'x'));  // longer than the line buffer
        test_support::write_file(log, Utf16File(lines));
        EXPECT_TRUE(ReadBack().previousEntries.empty());
    }
    UninstallLog none;
    none.installPath = "x";
    none.Read(nullptr);
    EXPECT_TRUE(none.installPath.empty());
    const fs::path missing = dir / "missing.ulog";
    none.Read(&missing);
    EXPECT_TRUE(none.previousEntries.empty());
}

TEST_F(UninstallLogFile, MergeKeepsOneEntryPerThing) {
    std::ofstream((dir / "install/same.txt").string()) << "x";
    fs::create_hard_link(dir / "install/same.txt", dir / "install/link.txt");
    UninstallLog record;
    record.previousEntries = {Entry(0, (dir / "install").string()),
                              Entry(1, (dir / "install/old-only.txt").string(), true, 2),
                              Entry(1, (dir / "install/same.txt").string(), true, 2),
                              Entry(1, (dir / "install/link.txt").string(), true, 2),
                              Entry(1, "/gone/CASE.txt", true, 2),
                              Entry(5, ""),
                              Entry(2, "/old/shortcut.desktop")};
    record.entries = {Entry(1, (dir / "install/same.txt").string(), true, 1), Entry(1, "/gone/case.txt", true, 1),
                      Entry(5, ""), Entry(2, "/new/shortcut.desktop")};
    ASSERT_TRUE(record.Save(log, "", ""));
    record.Commit();
    std::vector<std::string> paths;
    for (const auto& e : record.entries) {
        paths.push_back(std::to_string(KindNumber(e.kind)) + " " + e.path + " " + std::to_string(e.value));
    }
    const std::vector<std::string> expected = {
        "0 " + (dir / "install").string() + " -1",
        "1 " + (dir / "install/old-only.txt").string() + " 2",
        "1 " + (dir / "install/same.txt").string() + " 1",
        "1 /gone/case.txt 1",
        "5 " + UninstallKeyLogText() + " -1",
        "2 /new/shortcut.desktop -1",
    };
    EXPECT_EQ(paths, expected);
    EXPECT_TRUE(record.previousEntries.empty());
}

TEST_F(UninstallLogFile, ReplacesAReadOnlyLogAndDeletesBackupsEvenWhenWritingFails) {
    UninstallLog first;
    first.entries.push_back(Entry(1, "/a"));
    ASSERT_TRUE(first.Save(log, "", ""));  // read-only now
    first.Commit();

    const fs::path backup = dir / "vn1234.tmp";
    std::ofstream(backup.string()) << "old";
    kernel::set_file_attributes(backup, kernel::file_attribute_readonly);
    UninstallLog second;
    second.Read(&log);
    second.entries.push_back(Entry(1, "/b"));
    second.entries.back().backupPath = backup.string();
    ASSERT_TRUE(second.Save(log, "", ""));
    second.Commit();
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_TRUE(second.entries.back().backupPath.empty());
    EXPECT_EQ(ReadBack().previousEntries.size(), 2u);

    // A log that cannot be written leaves the previous one whole.
    const std::string before = test_support::read_file(log);
    std::ofstream(backup.string()) << "old";
    UninstallLog failing;
    failing.entries.push_back(Entry(1, "/c"));
    failing.entries.back().backupPath = backup.string();
    EXPECT_FALSE(failing.Save(dir / "no-such-folder" / "Uninstall.ulog", "", ""));
    failing.Commit();
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(test_support::read_file(log), before);
}

TEST_F(UninstallLogFile, IndexesPastFourDigitsGrow) {
    UninstallLog record;
    for (int i = 0; i < 10001; ++i) {
        record.entries.push_back(Entry(7, ""));
        record.entries.back().kind = EntryKind::File;
        record.entries.back().path = "/f" + std::to_string(i);
    }
    ASSERT_TRUE(record.Save(log, "", ""));
    record.Commit();
    const std::string image = test_support::read_file(log);
    EXPECT_NE(image.find(Utf16File({"10000:01ff:1 -- /f10000"}).substr(2)), std::string::npos);
    EXPECT_EQ(ReadBack().previousEntries.size(), 10001u);
}
