#include "engine/install_notification_handler.hpp"

#include "archive_format.hpp"
#include "engine/temporary_files.hpp"
#include "engine_fixture.hpp"
#include "payload/compress_error.hpp"
#include "payload/extraction.hpp"
#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/registry/error.hpp"
#include "platform/ui/application.hpp"
#include "security/hresult.hpp"

#include <QCoreApplication>
#include <QMetaObject>

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>
#include <sstream>

namespace fs = boost::filesystem;
using payload::notification;

namespace {

TEST(ProgressPercent, RoundsButReachesHundredOnlyAtTheEnd) {
    constexpr auto max = std::numeric_limits<std::uint64_t>::max();
    const struct {
        std::uint64_t done, total;
        int percent;
    } cases[] = {
        {0, 1000, 0},    {4, 1000, 0},    {5, 1000, 1},    {1, 3, 33},        {2, 3, 67},
        {994, 1000, 99}, {995, 1000, 99}, {999, 1000, 99}, {1000, 1000, 100}, {max - 1, max, 99},
        {max, max, 100}, {0, 0, 0},       {10, 0, 0},      {2000, 1000, 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressPercent(c.done, c.total), c.percent) << c.done << " of " << c.total;
    }
}

TEST(ErrorCodeText, FormatsEachCategoryAsTheUserSeesIt) {
    const struct {
        std::error_code code;
        const char* text;
    } cases[] = {
        {platform::kernel::make_win32_error(5), "1:00000005"},
        {platform::kernel::make_win32_error(112), "1:00000070"},
        {std::error_code(0x1F, std::system_category()), "1:0000001F"},
        {std::error_code(ENOSPC, std::generic_category()), "2:0000001C"},
        {payload::compress_errc::invalid_checksum, "3"},
        {payload::compress_errc::verify_failed, "4"},
        {payload::compress_errc::bad_stream, "6"},
        {payload::compress_errc::unexpected, "7"},
        {platform::registry::errc::access_denied, "7"},
        {std::make_error_code(std::io_errc::stream), "7"},
        {security::hresult_error(security::hresult_from_win32(5)).code(), "1:00000005"},
        {security::hresult_error(security::E_FAIL).code(), "1:80004005"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorCodeText(c.code), c.text) << c.code.category().name() << " " << c.code.value();
    }
}

// The handler on a real extraction of a small archive.
class NotificationHandler : public EngineTest {
protected:
    bool Extract(const std::vector<vnpack::memory_file>& files) {
        return ExtractBytes(vnpack::bzip2_compress(vnpack::build_archive(files)));
    }
    bool ExtractBytes(const std::string& payload) {
        std::istringstream source(payload);
        InstallNotificationHandler handler(*app, page, source);
        payload::extract_settings settings;
        settings.install_folder = InstallFolder();
        settings.sample_folder = "Quillon Examples";
        settings.temp_folder = machine.temp() / "run";
        settings.on_notify = [&handler](notification n) { return handler(n); };
        return payload::extract_payload(source, settings);
    }
    const UninstallLogEntry* Recorded(const fs::path& path) const {
        for (const auto& entry : app->m_uninstallLog.entries) {
            if (entry.path == path.string()) {
                return &entry;
            }
        }
        return nullptr;
    }
    std::string CopyingLine(const fs::path& path) const {
        const std::string text = path.string();
        return "Copying File  " + (text.find(' ') != std::string::npos ? '"' + text + '"' : text) + "...OK";
    }
};

TEST_F(NotificationHandler, WritesRecordsAndReportsEveryKindOfFile) {
    TemporaryFiles temporary(machine.temp() / "run");
    ASSERT_TRUE(Extract({{"quillon", "<InstallPath>", 1, "main"},
                         {"uninstall", "<InstallPath>", 2, "uninstaller"},
                         {"en.lang", "<InstallPath>\\Lang", 0, "lang"},
                         {"Brushes.qbr", "<CommonData>\\Vintrel\\Quillon 7", 3, "brushes"},
                         {"Sample01.qln", "<SamplePath>", 4, "sample"},
                         {"DSETUP.dll", "<Temporary>", 5, "setup"}}));

    const fs::path shared = CommonData() / "Vintrel/Quillon 7/Brushes.qbr";
    const fs::path sample = Desktop() / "Quillon Examples/Sample01.qln";
    const fs::path setup = machine.temp() / "run/DSETUP.dll";
    EXPECT_EQ(page.m_strMainProgramPath, (InstallFolder() / "quillon").string());
    EXPECT_EQ(page.m_strUninstallerPath, (InstallFolder() / "uninstall").string());
    EXPECT_EQ(ReadFile(shared), "brushes");
    EXPECT_TRUE(HasUsersGroupEntry(shared));
    EXPECT_EQ(ReadFile(setup), "setup");

    // Every written file is recorded done with its kind, after the folders made for it; the
    // temporary file only in the run's register.
    const std::pair<fs::path, int> files[] = {{InstallFolder() / "quillon", 1},
                                              {InstallFolder() / "uninstall", 2},
                                              {InstallFolder() / "Lang/en.lang", 0},
                                              {shared, 3},
                                              {sample, 4}};
    for (const auto& [path, kind] : files) {
        const UninstallLogEntry* entry = Recorded(path);
        ASSERT_TRUE(entry) << path;
        EXPECT_TRUE(entry->done) << path;
        EXPECT_EQ(entry->value, kind) << path;
    }
    EXPECT_FALSE(Recorded(setup));
    EXPECT_EQ(temporary.Files(), std::vector<fs::path>{setup});
    EXPECT_TRUE(Recorded(InstallFolder()));
    EXPECT_TRUE(Recorded(machine.root() / "opt/Vintrel"));
    EXPECT_FALSE(app->m_uninstallLog.HasPendingChange());

    std::vector<std::string> expected = {"Preparing Installation...OK"};
    for (const auto& [path, kind] : files) {
        expected.push_back(CopyingLine(path));
    }
    expected.push_back(CopyingLine(setup));
    EXPECT_EQ(page.LogLines(), expected);
    EXPECT_EQ(page.statusTexts.front(), "Preparing Installation...");
    EXPECT_EQ(page.statusPaths, 6);
    ASSERT_FALSE(page.progress.empty());
    EXPECT_EQ(page.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(page.progress.begin(), page.progress.end()));
}

TEST_F(NotificationHandler, SharedAndSampleFilesFollowThePreviousInstallation) {
    const fs::path shared = CommonData() / "Vintrel/shared.dat";
    const fs::path sample = Desktop() / "Quillon Examples/Sample01.qln";
    const struct {
        const char* name;
        PreviousInstallStatus previousInstall;
        bool sharedThere;
        bool sharedRecordedBefore;  // done in the previous log
        bool sharedRecorded;        // recorded by this run
        const char* sharedAfter;
        bool sampleWritten;
    } cases[] = {
        {"first installation, nothing there", PreviousNone, false, false, true, "new", true},
        {"first installation over a user's file", PreviousNone, true, false, true, "old", true},
        {"reinstallation of a recorded file", PreviousSame, true, true, false, "old", true},
        {"reinstallation, file not recorded before", PreviousSame, true, false, true, "old", true},
        {"update over a recorded file", PreviousOlder, true, true, false, "old", false},
        {"update, recorded file gone: written again", PreviousOlder, false, true, true, "new", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(CommonData());
        fs::remove_all(Desktop());
        app->m_uninstallLog.entries.clear();
        app->m_uninstallLog.previousEntries.clear();
        page.log.clear();
        app->m_nPreviousInstall = c.previousInstall;
        if (c.sharedThere) {
            WriteFile(shared, "old");
        }
        if (c.sharedRecordedBefore) {
            UninstallLogEntry& previous = app->m_uninstallLog.previousEntries.emplace_back();
            previous.kind = UninstallLogEntry::File;
            previous.path = shared.string();
            previous.done = true;
        }

        ASSERT_TRUE(Extract(
            {{"shared.dat", "<CommonData>\\Vintrel", 3, "new"}, {"Sample01.qln", "<SamplePath>", 4, "sample"}}));

        EXPECT_EQ(ReadFile(shared), c.sharedAfter);
        EXPECT_TRUE(HasUsersGroupEntry(shared));
        const UninstallLogEntry* entry = Recorded(shared);
        EXPECT_EQ(entry != nullptr, c.sharedRecorded);
        if (entry) {
            EXPECT_TRUE(entry->done);
            EXPECT_EQ(entry->previousStaysInPlace, c.sharedThere);
        }
        // A kept file shows no line of its own.
        EXPECT_EQ(page.log.find("shared.dat") != std::string::npos, !c.sharedThere);
        EXPECT_EQ(fs::exists(sample), c.sampleWritten);
        EXPECT_EQ(Recorded(sample) != nullptr, c.sampleWritten);

        // A rollback leaves a kept file as it was and leaves no backup behind.
        app->m_uninstallLog.Rollback();
        EXPECT_EQ(fs::exists(shared), c.sharedThere);
        if (c.sharedThere) {
            EXPECT_EQ(ReadFile(shared), "old");
        }
        EXPECT_TRUE(fs::is_empty(machine.temp())) << "backups left";
    }
}

TEST_F(NotificationHandler, FailureClosesThePendingEntryAndShowsTheCode) {
    const fs::path blocked = InstallFolder() / "Lang/en.lang";
    fs::create_directories(blocked / "in the way");

    EXPECT_FALSE(Extract({{"quillon", "<InstallPath>", 1, "main"}, {"en.lang", "<InstallPath>\\Lang", 0, "lang"}}));

    const UninstallLogEntry* entry = Recorded(blocked);
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry->done);
    EXPECT_FALSE(app->m_uninstallLog.HasPendingChange());
    const auto lines = page.LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines.back(), "Copying File  \"" + blocked.string() + "\"...Failed");
    EXPECT_EQ(page.Status(), "Installation failed (Error Code 1:00000005).");
}

// A failure of the security layer while a file is handled shows its Windows code, and the diagnostic
// log says what it was.
TEST_F(NotificationHandler, ASecurityFailureShowsItsWindowsCode) {
    const fs::path diagnosticLog = machine.folder() / "diagnostic.log";
    ASSERT_FALSE(platform::diagnostics::open_log(diagnosticLog));
    const std::string archive =
        vnpack::bzip2_compress(vnpack::build_archive({{"quillon", "<InstallPath>", 1, "main"}}));
    std::istringstream source(archive);
    InstallNotificationHandler handler(*app, page, source);
    payload::extract_settings settings;
    settings.install_folder = InstallFolder();
    settings.temp_folder = machine.temp() / "run";
    settings.on_notify = [&handler](notification n) {
        if (std::holds_alternative<notification::entry_begin>(n)) {
            security::throw_hresult(security::hresult_from_win32(5));
        }
        return handler(n);
    };

    EXPECT_FALSE(payload::extract_payload(source, settings));
    platform::diagnostics::close_log();

    EXPECT_EQ(page.Status(), "Installation failed (Error Code 1:00000005).");
    EXPECT_NE(ReadFile(diagnosticLog).find("HRESULT 0x80070005"), std::string::npos) << ReadFile(diagnosticLog);
}

TEST_F(NotificationHandler, ArchiveCheckFailsBeforeAnyFileIsWritten) {
    const std::string good =
        vnpack::bzip2_compress(vnpack::build_archive({{"quillon", "<InstallPath>", 1, std::string(50000, 'q')}}));
    std::string damaged = good;
    damaged[damaged.size() / 2] ^= 0x55;
    const struct {
        const char* name;
        std::string payload;
        const char* code;
    } cases[] = {
        {"bytes after the stream", good + "trailing", "6"},
        {"damaged compressed data", damaged, "6"},
        {"stream cut short", good.substr(0, good.size() - 20), "6"},
        {"no payload at all", "", "6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        page = RecordingPage();
        EXPECT_FALSE(ExtractBytes(c.payload));
        EXPECT_EQ(page.LogLines(), std::vector<std::string>{"Preparing Installation...Failed"});
        EXPECT_EQ(page.Status(), "Installation failed (Error Code " + std::string(c.code) + ").");
        EXPECT_TRUE(app->m_uninstallLog.entries.empty());
        EXPECT_FALSE(fs::exists(machine.root() / "opt/Vintrel"));
    }
}

TEST_F(NotificationHandler, DispatchesWaitingEventsAfterEveryNotification) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static platform::ui::application_instance application;
    std::istringstream source(vnpack::bzip2_compress(vnpack::build_archive({{"a", "<InstallPath>", 0, "a"}})));
    InstallNotificationHandler handler(*app, page, source);
    const payload::archive_entry entry{"a", InstallFolder() / "a", payload::entry_kind::program_file, 1, 0};
    const notification notifications[] = {
        notification::started{},      notification::entry_begin{entry},
        notification::progress{1, 2}, notification::entry_end{entry},
        notification::finished{1, 1}, notification::failed{payload::compress_errc::unexpected, {}}};
    for (const auto& n : notifications) {
        bool dispatched = false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&dispatched] { dispatched = true; }, Qt::QueuedConnection);
        handler(n);
        EXPECT_TRUE(dispatched) << "notification " << n.index();
    }
}

}  // namespace
