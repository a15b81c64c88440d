#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/file_attributes.hpp"
#include "platform/registry/key.hpp"
#include "platform/registry/privilege_check.hpp"
#include "platform/shell/change_notify.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include "support/machine_snapshot.hpp"
#include "support/sandbox_machine.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;
namespace reg = platform::registry;

namespace {

constexpr const char* kProductKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon 7";

std::string Content(const fs::path& file) {
    std::ifstream in(file.string(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put(const fs::path& file, const std::string& content) {
    std::ofstream(file.string(), std::ios::binary | std::ios::trunc) << content;
}

bool IsEmptyFolder(const fs::path& folder) {
    return fs::is_directory(folder) && fs::directory_iterator(folder) == fs::directory_iterator();
}

UninstallLogEntry PreviousEntry(EntryKind kind, const fs::path& path) {
    UninstallLogEntry entry;
    entry.kind = kind;
    entry.path = path.string();
    entry.done = true;
    return entry;
}

class Rollback : public test_support::sandbox_test {
protected:
    void SetUp() override {
        log.backupFolder = machine.temp();
        fs::create_directories(opt);
        Put(opt / "foreign.txt", "not ours");
        fs::create_directories(shared);
        Put(shared / "replaced.dat", "old replaced");
        ASSERT_FALSE(kernel::set_file_attributes(shared / "replaced.dat", kernel::file_attribute_readonly |
                                                                              kernel::file_attribute_archive |
                                                                              kernel::file_attribute_hidden));
        Put(shared / "kept.dat", "old kept");
        Put(shared / "refreshed.dat", "old refreshed");

        // The previous installation's shortcuts: the Start-menu one in another folder, the desktop one
        // under the name the run uses again.
        fs::create_directories(oldMenu);
        Put(oldMenu / "Quillon 7.desktop", "old menu shortcut");
        Put(oldMenu / "Uninstall Quillon.desktop", "old uninstall shortcut");
        fs::create_directories(desktop);
        Put(desktop / "Quillon 7.desktop", "old desktop shortcut");
        log.previousEntries.push_back(
            PreviousEntry(UninstallLogEntry::StartMenuShortcut, oldMenu / "Quillon 7.desktop"));
        log.previousEntries.push_back(
            PreviousEntry(UninstallLogEntry::UninstallShortcut, oldMenu / "Uninstall Quillon.desktop"));
        log.previousEntries.push_back(PreviousEntry(UninstallLogEntry::DesktopShortcut, desktop / "Quillon 7.desktop"));

        // The desktop entry database is there before, as on any desktop, and is rebuilt by the run.
        platform::shell::change_notify(platform::shell::shcne::mkdir, menu);
    }

    // What the extraction does for one file: record it, write it, close the entry.
    void WriteFile(const fs::path& file, std::int32_t kind, bool copyBackup, const std::string& content) {
        PendingChange change = log.AddFile(file, kind, copyBackup ? PreviousFile::CopyAside : PreviousFile::MoveAside);
        Put(file, content);
        change.Complete(true);
    }

    // What the shortcut step does.
    void MakeShortcut(ShortcutKind which, const fs::path& folder, const std::string& name, bool succeeds) {
        PendingChange change = log.AddShortcut(which, folder);
        if (succeeds) {
            Put(folder / name, "new shortcut");
            change.Complete(true, (folder / name).string());
        } else {
            change.Complete(false);
        }
    }

    // Everything a run does, up to the point where it fails.
    void RunInstallation() {
        WriteFile(product / "quillon", 1, false, "new program");
        WriteFile(product / "Lang" / "fr.so", 0, false, "new language");
        WriteFile(shared / "replaced.dat", 3, false, "new replaced");
        // A shared file that exists is kept: recorded as done, never written, so it needs no backup.
        log.AddFile(shared / "kept.dat", 3, PreviousFile::Keep).Complete(true);
        WriteFile(shared / "refreshed.dat", 0, true, "new refreshed, longer than before");
        ASSERT_FALSE(kernel::set_file_attributes(product / "quillon", kernel::file_attribute_readonly));

        MakeShortcut(ShortcutKind::StartMenuMain, menu, "Quillon 7.desktop", true);
        MakeShortcut(ShortcutKind::StartMenuUninstall, menu, "Uninstall Quillon.desktop", false);
        MakeShortcut(ShortcutKind::Desktop, desktop, "Quillon 7.desktop", true);
    }

    const fs::path opt = machine.root() / "opt";
    const fs::path product = opt / "Vintrel" / "Quillon 7";
    const fs::path shared = machine.root() / "var" / "opt" / "Vintrel";
    const fs::path applications = machine.root() / "usr" / "local" / "share" / "applications";
    const fs::path oldMenu = applications / "Vintrel" / "Quillon 7.01";
    const fs::path menu = applications / "Vintrel" / "Quillon 7";
    const fs::path desktop = machine.home() / "Desktop";
    UninstallLog log;
};

TEST_F(Rollback, GivesBackTheMachineAsItWasBeforeTheRun) {
    struct Case {
        const char* what;
        bool keyExisted;
    };
    for (const Case c : {Case{"over an existing Uninstall key", true}, Case{"with a new Uninstall key", false}}) {
        SCOPED_TRACE(c.what);
        reg::Key::create(reg::hive::local_machine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other")
            ->key.set_dword("n", 1);
        if (c.keyExisted) {
            const reg::Key old = reg::Key::create(reg::hive::local_machine, kProductKeyPath)->key;
            ASSERT_FALSE(old.set_string("DisplayName", "Quillon 7.01"));
            ASSERT_FALSE(old.set_dword("VnLanguage", 2));
            ASSERT_FALSE(old.create("Sub")->key.set_string("", "default"));
        }
        const auto before = machine.snapshot();

        RunInstallation();
        auto created = reg::Key::create(reg::hive::local_machine, kProductKeyPath);
        ASSERT_TRUE(created);
        ASSERT_EQ(created->disposition == reg::disposition::opened_existing_key, c.keyExisted);
        PendingChange keyChange = log.AddRegistryKey(c.keyExisted ? &created->key : nullptr);
        ASSERT_EQ(log.entries.back().backupPath.empty(), !c.keyExisted);
        ASSERT_FALSE(created->key.set_string("DisplayName", "Quillon 7.02b"));
        if (c.keyExisted) {
            ASSERT_FALSE(created->key.delete_tree("Sub"));
        }
        ASSERT_FALSE(created->key.create("New")->key.set_dword("x", 1));
        keyChange.Complete(true);
        log.AddRegistrationRun().Complete(false);
        ASSERT_FALSE(test_support::same_machine(before, machine.snapshot()));

        log.Rollback();

        EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));
        EXPECT_TRUE(log.entries.empty());
        EXPECT_TRUE(IsEmptyFolder(machine.temp())) << "a backup was left behind";
        // The privileges were on only for the save and the restore.
        EXPECT_FALSE(reg::privilege_enabled("SeBackupPrivilege"));
        EXPECT_FALSE(reg::privilege_enabled("SeRestorePrivilege"));
        reg::Key::open(reg::hive::local_machine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
            ->delete_tree("Quillon 7");
    }
}

TEST_F(Rollback, RemovesOnlyEmptyCreatedFoldersNewestFirst) {
    WriteFile(product / "Lang" / "fr.so", 0, false, "new language");
    ASSERT_EQ(log.entries.size(), 4u);  // Vintrel, Quillon 7, Lang, the file
    Put(product / "foreign.txt", "someone else's");

    log.Rollback();

    EXPECT_FALSE(fs::exists(product / "Lang"));
    EXPECT_EQ(Content(product / "foreign.txt"), "someone else's");
    EXPECT_TRUE(fs::is_directory(opt / "Vintrel"));
    EXPECT_EQ(Content(opt / "foreign.txt"), "not ours");
}

TEST_F(Rollback, AChangeWhoseBackupCannotBeMadeIsNotMadeAndTheRunGoesBackAsItWas) {
    log.backupFolder = machine.folder() / "no such folder";
    const reg::Key old = reg::Key::create(reg::hive::local_machine, kProductKeyPath)->key;
    ASSERT_FALSE(old.set_string("DisplayName", "Quillon 7.01"));
    const auto before = machine.snapshot();

    WriteFile(product / "Lang" / "fr.so", 0, false, "new language");  // nothing to put aside
    const std::size_t recorded = log.entries.size();
    EXPECT_THROW(log.AddFile(shared / "replaced.dat", 3, PreviousFile::MoveAside), std::system_error);
    EXPECT_THROW(log.AddFile(shared / "refreshed.dat", 3, PreviousFile::CopyAside), std::system_error);
    EXPECT_THROW(log.AddShortcut(ShortcutKind::Desktop, desktop), std::system_error);
    EXPECT_THROW(log.AddRegistryKey(&old), std::system_error);
    EXPECT_EQ(log.entries.size(), recorded) << "a change without its backup was recorded";
    // A kept file is not changed, so it needs no backup.
    log.AddFile(shared / "kept.dat", 3, PreviousFile::Keep).Complete(true);

    log.Rollback();

    EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));
    EXPECT_EQ(Content(shared / "replaced.dat"), "old replaced");
    EXPECT_EQ(Content(shared / "kept.dat"), "old kept");
    EXPECT_EQ(Content(desktop / "Quillon 7.desktop"), "old desktop shortcut");
    EXPECT_EQ(*reg::Key::open(reg::hive::local_machine, kProductKeyPath)->query_string("DisplayName"), "Quillon 7.01");
}

// After Commit the backups are gone: a rollback would only delete what was installed, so it is refused
// (a debug build stops on it) and the machine keeps the installation, listed changes and unlisted ones.
TEST_F(Rollback, AfterCommitLeavesTheInstallationInPlace) {
    RunInstallation();
    const fs::path extras = machine.root() / "usr" / "local" / "lib" / "Vintrel";
    log.RecordNewFolderTree(extras);
    fs::create_directories(extras);
    Put(extras / "shared.so", "new shared");
    log.Commit();
    const auto installed = machine.snapshot();

    EXPECT_DEBUG_DEATH(log.Rollback(), "committed");

    EXPECT_TRUE(test_support::same_machine(installed, machine.snapshot()));
    EXPECT_EQ(Content(product / "quillon"), "new program");
    EXPECT_EQ(Content(shared / "replaced.dat"), "new replaced");
    EXPECT_EQ(Content(extras / "shared.so"), "new shared");
    EXPECT_FALSE(log.entries.empty());
}

// The administrator's log says what was put aside and back, and every backup or undo step that failed,
// with its path and the system's reason, though the rollback itself reports nothing.
TEST_F(Rollback, WritesEachBackupAndUndoStepToTheDiagnosticLog) {
    const fs::path logFile = machine.folder() / "diagnostic.log";
    ASSERT_FALSE(platform::diagnostics::open_log(logFile));
    {
        UninstallLog withoutBackups;
        EXPECT_THROW(withoutBackups.AddFile(shared / "replaced.dat", 3, PreviousFile::MoveAside), std::system_error);
    }
    WriteFile(shared / "refreshed.dat", 0, true, "new refreshed");
    WriteFile(product / "Lang" / "fr.so", 0, false, "new language");
    Put(product / "Lang" / "foreign.txt", "someone else's");
    log.Rollback();
    platform::diagnostics::close_log();

    std::vector<std::string> lines;
    std::istringstream text(Content(logFile));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    const auto logged = [&lines](const std::string& pattern) {
        const std::regex wanted(".*" + pattern);
        return std::any_of(lines.begin(), lines.end(),
                           [&wanted](const std::string& line) { return std::regex_match(line, wanted); });
    };
    const std::string lang = (product / "Lang").string();
    const std::string refreshed = (shared / "refreshed.dat").string();
    EXPECT_TRUE(logged("Backup failed: " + (shared / "replaced.dat").string() + ": .+")) << Content(logFile);
    EXPECT_TRUE(logged("Backup made: " + refreshed + " copied to " + machine.temp().string() + "/vn.*"));
    EXPECT_TRUE(logged("Backup restored: " + refreshed + " from .*"));
    EXPECT_TRUE(logged("File deleted: " + lang + "/fr.so"));
    EXPECT_TRUE(logged("Removing the folder failed: " + lang + ": .+")) << Content(logFile);
    EXPECT_FALSE(logged("Folder removed: " + product.string()));  // it still holds Lang
}

}  // namespace
