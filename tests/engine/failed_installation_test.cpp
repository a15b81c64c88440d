#include "archive_format.hpp"
#include "installation_fixture.hpp"
#include "platform/registry/hive.hpp"
#include "support/machine_snapshot.hpp"

#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>

#include <gtest/gtest.h>

#include <regex>

namespace fs = boost::filesystem;

namespace {

// A file system of its own mounted on a folder of the sandbox, seen only by this process: a small
// one that fills up, or a read-only one. Needs the right to make a mount namespace.
class ScopedMount {
public:
    ScopedMount(const fs::path& folder, const std::string& options, unsigned long flags = 0) : m_folder(folder) {
        static const bool privateMounts =
            ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        fs::create_directories(folder);
        m_mounted = privateMounts && ::mount("tmpfs", folder.c_str(), "tmpfs", flags, options.c_str()) == 0;
    }
    ~ScopedMount() {
        if (m_mounted) {
            ::umount2(m_folder.c_str(), MNT_DETACH);
        }
    }
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    explicit operator bool() const { return m_mounted; }

private:
    fs::path m_folder;
    bool m_mounted = false;
};

// The registry refuses one value, as a store that cannot take the write would.
class RefusedValue {
public:
    explicit RefusedValue(const std::string& name) {
        if (sqlite3_open(platform::registry::hive_file(platform::registry::hive::local_machine).c_str(), &m_db) !=
            SQLITE_OK) {
            return;
        }
        for (const char* event : {"INSERT", "UPDATE"}) {
            const std::string sql = std::string("CREATE TRIGGER refuse_") + event + " BEFORE " + event +
                                    " ON key_values WHEN lower(NEW.name) = lower('" + name +
                                    "') BEGIN SELECT RAISE(ABORT, 'refused'); END;";
            m_active = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        }
    }
    ~RefusedValue() {
        Lift();
        sqlite3_close(m_db);
    }
    void Lift() {
        sqlite3_exec(m_db, "DROP TRIGGER IF EXISTS refuse_INSERT; DROP TRIGGER IF EXISTS refuse_UPDATE;", nullptr,
                     nullptr, nullptr);
    }
    explicit operator bool() const { return m_active; }

private:
    sqlite3* m_db = nullptr;
    bool m_active = false;
};

class FailedInstallation : public InstallationTest {
protected:
    FailedInstallation() { CreateSystemUninstallKey(); }

    // The run failed at the step whose log line matches, with the error code shown, and the machine
    // is as it was.
    void ExpectRolledBack(const test_support::machine_snapshot& before, const std::string& failedStepPattern,
                          const std::string& codePattern) {
        EXPECT_TRUE(
            std::regex_match(page.Status(), std::regex("Installation failed \\(Error Code " + codePattern + "\\)\\.")))
            << page.Status();
        const auto lines = page.LogLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(std::regex_match(lines.back(), std::regex(failedStepPattern + "Failed"))) << lines.back();
        EXPECT_EQ(page.log.find("Installation Data Writing"), std::string::npos);
        EXPECT_TRUE(app->m_uninstallLog.entries.empty());
        EXPECT_FALSE(fs::exists(app->m_strTempFolder));
        EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));
    }
};

TEST_F(FailedInstallation, ACorruptPayloadFailsBeforeAnythingIsWritten) {
    std::string corrupt = ProductPayload();
    corrupt[corrupt.size() / 2] ^= 0x20;
    const auto before = machine.snapshot();
    EXPECT_FALSE(Install(corrupt));
    ExpectRolledBack(before, "Preparing Installation\\.\\.\\.", "[46]");
    EXPECT_EQ(page.LogLines(), (std::vector<std::string>{"<dashes:>", "Preparing Installation...Failed"}));
}

TEST_F(FailedInstallation, AnUnwritableDestinationMidwayIsRolledBack) {
    const ScopedMount readOnly(CommonData(), "size=1m,mode=755", MS_RDONLY);
    if (!readOnly) {
        GTEST_SKIP() << "no private mounts here";
    }
    const auto before = machine.snapshot();
    EXPECT_FALSE(Install());
    // The program files before the shared data were written and are gone again.
    EXPECT_GT(CopyingLines(), 10);
    ExpectRolledBack(before, "Copying File  \".*/var/opt/Vintrel/Quillon 7/Brushes\\.qbr\"\\.\\.\\.", "1:00000013");
}

TEST_F(FailedInstallation, AFullDiskIsRolledBack) {
    // Room for the first files of the installation folder, not for all of them.
    const ScopedMount small(machine.root() / "opt", "size=2m,mode=755");
    if (!small) {
        GTEST_SKIP() << "no private mounts here";
    }
    const auto before = machine.snapshot();
    EXPECT_FALSE(Install());
    ExpectRolledBack(before, "Copying File  \".*/opt/Vintrel/Quillon 7/.*\"\\.\\.\\.", "1:00000070");
}

TEST_F(FailedInstallation, ARefusedInstalledProgramValueUndoesTheWholeRunAndASecondRunSucceeds) {
    RecordDirectXVersion("4.08.00.0400");  // older than the runtime needs: its setup is skipped
    // What an earlier, broken installation left: the run replaces it, the rollback puts it back.
    auto earlierKey = platform::registry::Key::create(platform::registry::hive::local_machine,
                                                      std::string(kUninstallKeyParent) + "\\Quillon 7");
    ASSERT_TRUE(earlierKey);
    ASSERT_FALSE(earlierKey->key.set_string("DisplayName", "Quillon 7.01"));
    ASSERT_FALSE(earlierKey->key.set_dword("VnLanguage", 3));
    RefusedValue refused("Quillon 7 Path");
    ASSERT_TRUE(refused);
    const auto before = machine.snapshot();

    EXPECT_FALSE(Install());
    ExpectRolledBack(before, "Registry Data Writing\\.\\.\\.", "-1");
    EXPECT_NE(page.log.find("Shortcuts Creation...OK"), std::string::npos);
    EXPECT_EQ(page.log.find("DirectX"), std::string::npos);
    EXPECT_FALSE(fs::exists(machine.root() / "usr/local/share/mime")) << "the registration run happened";

    refused.Lift();
    const std::string firstTemporaryFolder = app->m_strTempFolder;
    EXPECT_TRUE(Install());
    EXPECT_NE(app->m_strTempFolder, firstTemporaryFolder);
    EXPECT_EQ(page.Status(), "Click on 'Next' to continue.");
    const auto lines = page.LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "<dashes:>"), 2);
    EXPECT_EQ(lines.back(), "Installation Data Writing...OK");
    EXPECT_TRUE(fs::exists(InstalledLog()));
}

// Payloads that would install nothing usable, or write wherever the installer was started from, are
// refused while the index is read, before anything is written.
TEST_F(FailedInstallation, APayloadWithoutPlacesOrProgramsIsRefusedBeforeAnythingIsWritten) {
    const vnpack::memory_file program{"quillon", "<InstallPath>", 1, "program"};
    const vnpack::memory_file uninstaller{"uninstall", "<InstallPath>", 2, "uninstaller"};
    const struct {
        const char* name;
        std::vector<vnpack::memory_file> files;
    } cases[] = {
        {"token in lower case", {program, uninstaller, {"rel.txt", "<installpath>\\Lang", 0, "x"}}},
        {"empty folder text", {program, uninstaller, {"rel.txt", "", 0, "x"}}},
        {"no token", {program, uninstaller, {"rel.txt", "Lang", 0, "x"}}},
        {"no entries", {}},
        {"no main program", {uninstaller, {"a.dll", "<InstallPath>", 0, "a"}}},
        {"no uninstaller", {program, {"a.dll", "<InstallPath>", 0, "a"}}},
    };
    // Started from the home folder: a relative destination would land there.
    const fs::path started = fs::current_path();
    fs::current_path(machine.home());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        page = RecordingPage();
        const auto before = machine.snapshot();
        EXPECT_FALSE(Install(vnpack::bzip2_compress(vnpack::build_archive(c.files))));
        // The payload checked out whole; its index is what is refused.
        ExpectRolledBack(before, "", "7");
        EXPECT_NE(page.log.find("Preparing Installation...OK"), std::string::npos);
    }
    fs::current_path(started);
}

// Whatever later step fails by an exception, the whole run is undone and reported as failed. (The
// shared DirectX runtime, once set up, stays, as it does on every path: the registry step's case runs on
// a machine whose runtime setup is skipped.)
TEST_F(FailedInstallation, AnExceptionInALaterStepIsRolledBack) {
    const struct {
        std::string step;
        bool runtimeSetUp;
    } cases[] = {
        {"Shortcuts Creation...", true},
        {DirectXText(), true},
        {"Registry Data Writing...", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        RecordDirectXVersion(c.runtimeSetUp ? "4.09.00.0904" : "4.08.00.0400");
        page = RecordingPage();
        page.throwAt = c.step;
        const auto before = machine.snapshot();
        EXPECT_FALSE(Install());
        EXPECT_EQ(page.Status(), "Installation failed (Error Code -1).");
        EXPECT_TRUE(app->m_uninstallLog.entries.empty());
        EXPECT_FALSE(fs::exists(app->m_strTempFolder));
        EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));
    }
    page = RecordingPage();
    EXPECT_TRUE(Install());  // nothing of the failed runs stands in the way
}

// What a rollback is to give back. The product's running-instance count is a named object, which a
// kernel drops with its process: its file is no state of the machine. On a reinstallation the grant
// of the kept shared files is written again with the same entries in a larger list (a fault of the
// grant itself, not of the rollback): their access lists are not compared then.
test_support::machine_snapshot Comparable(test_support::machine_snapshot snapshot, bool grantsWrittenAgain) {
    std::erase_if(snapshot.files,
                  [](const auto& file) { return file.first.rfind("root/run/lock/quillon-objects/", 0) == 0; });
    if (grantsWrittenAgain) {
        for (auto& [path, state] : snapshot.files) {
            state.xattrs.erase("user.vn.dacl");
        }
    }
    return snapshot;
}

// The steps after the registration run: what the run kept out of the written log (the document type,
// the installed-program value) and the log file itself come back as they were, on a first
// installation and over an existing one, whose log must be the previous one again.
TEST_F(FailedInstallation, AnExceptionAfterTheRegistrationRunIsRolledBack) {
    RecordDirectXVersion("4.08.00.0400");  // the shared runtime's setup is skipped: it would stay
    const char* steps[] = {"Installation Data Writing...", "Click on 'Next' to continue."};
    for (const bool reinstall : {false, true}) {
        if (reinstall) {
            page = RecordingPage();
            ASSERT_TRUE(Install());
            ASSERT_TRUE(StartNextSession());
            ASSERT_EQ(app->m_nPreviousInstall, PreviousSame);
        }
        for (const char* step : steps) {
            SCOPED_TRACE(std::string(reinstall ? "reinstallation, " : "first installation, ") + step);
            page = RecordingPage();
            page.throwAt = step;
            const auto before = machine.snapshot();
            EXPECT_FALSE(Install());
            EXPECT_EQ(page.Status(), "Installation failed (Error Code -1).");
            EXPECT_TRUE(app->m_uninstallLog.entries.empty());
            EXPECT_FALSE(fs::exists(app->m_strTempFolder));
            EXPECT_TRUE(
                test_support::same_machine(Comparable(before, reinstall), Comparable(machine.snapshot(), reinstall)));
        }
    }
    page = RecordingPage();
    EXPECT_TRUE(Install());
    EXPECT_EQ(page.Status(), "Click on 'Next' to continue.");
    EXPECT_TRUE(fs::exists(InstalledLog()));
}

// A machine whose desktop has built no caches, without applications folders: the registration run's
// refresh makes the desktop-entry database, and the rollback must take it away with every folder the
// run created.
TEST_F(FailedInstallation, AfterTheRegistrationRunARollbackLeavesNoCacheTheMachineDidNotHave) {
    RecordDirectXVersion("4.08.00.0400");
    for (const auto& data : {machine.root() / "usr/local/share", UserData()}) {
        fs::remove_all(data / "applications");
    }
    for (const char* step : {"Installation Data Writing...", "Click on 'Next' to continue."}) {
        SCOPED_TRACE(step);
        page = RecordingPage();
        page.throwAt = step;
        const auto before = machine.snapshot();
        EXPECT_FALSE(Install());
        EXPECT_EQ(page.Status(), "Installation failed (Error Code -1).");
        EXPECT_FALSE(fs::exists(machine.root() / "usr/local/share/applications"));
        EXPECT_FALSE(fs::exists(machine.root() / "usr/local/share/icons"));
        EXPECT_TRUE(test_support::same_machine(Comparable(before, false), Comparable(machine.snapshot(), false)));
    }
}

TEST_F(FailedInstallation, ATemporaryFolderPathTooLongChangesNothing) {
    const fs::path longTemp = machine.temp() / std::string(120, 'a') / std::string(120, 'b');
    fs::create_directories(longTemp);
    const test_support::scoped_env temp("TMPDIR", longTemp.c_str());
    const auto before = machine.snapshot();
    EXPECT_FALSE(Install());
    EXPECT_EQ(page.Status(), "Installation failed (Error Code 000000ce (GetTempPath)).");
    EXPECT_EQ(page.LogLines(), (std::vector<std::string>{"<dashes:>", page.Status()}));
    EXPECT_TRUE(fs::is_empty(longTemp));
    EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));
}

}  // namespace
