#include "platform/kernel/file_attributes.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include "support/sandbox_machine.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <fstream>
#include <sstream>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;

namespace {

std::string Content(const fs::path& file) {
    std::ifstream in(file.string(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put(const fs::path& file, const std::string& content) {
    std::ofstream(file.string(), std::ios::binary | std::ios::trunc) << content;
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& item : fs::directory_iterator(folder)) {
        found.push_back(item.path());
    }
    return found;
}

class ChangeRecording : public test_support::sandbox_test {
protected:
    ChangeRecording() { log.backupFolder = machine.temp(); }

    UninstallLog log;
};

TEST_F(ChangeRecording, CreateFoldersRecordsOnlyTheFoldersItCreatedOutermostFirst) {
    fs::create_directories(machine.root() / "opt");
    const fs::path company = machine.root() / "opt" / "Vintrel";
    const fs::path product = company / "Quillon 7";

    log.CreateFolders(product / "Lang" / "");

    ASSERT_EQ(log.entries.size(), 3u);
    const std::vector<fs::path> expected = {company, product, product / "Lang"};
    auto entry = log.entries.begin();
    for (const fs::path& folder : expected) {
        EXPECT_EQ(entry->kind, UninstallLogEntry::Folder);
        EXPECT_EQ(entry->path, folder.string());
        EXPECT_TRUE(entry->done);
        EXPECT_EQ(entry->value, -1);
        EXPECT_TRUE(entry->backupPath.empty());
        EXPECT_TRUE(fs::is_directory(folder));
        ++entry;
    }
    EXPECT_FALSE(log.HasPendingChange());

    // All there now: nothing more to record.
    log.CreateFolders(product / "Lang");
    EXPECT_EQ(log.entries.size(), 3u);
}

TEST_F(ChangeRecording, CreateFoldersStopsAtTheFirstFolderItCannotCreate) {
    const fs::path top = machine.root() / "top";
    log.CreateFolders(top);
    Put(top / "blocked", "a file where a folder should go");

    log.CreateFolders(top / "blocked" / "inner" / "deepest");
    log.CreateFolders(top / "free" / "inner");

    std::vector<std::string> recorded;
    for (const auto& entry : log.entries) {
        recorded.push_back(entry.path);
    }
    EXPECT_EQ(recorded,
              (std::vector<std::string>{top.string(), (top / "free").string(), (top / "free" / "inner").string()}));
    EXPECT_FALSE(fs::exists(top / "blocked" / "inner"));
}

TEST_F(ChangeRecording, AddFileRecordsAPendingEntryAndPutsAnExistingFileAside) {
    const fs::path folder = machine.root() / "opt" / "app";
    const fs::path fresh = folder / "fresh.dat";
    const fs::path moved = folder / "moved.dat";
    const fs::path copied = folder / "copied.dat";
    fs::create_directories(folder);
    Put(moved, "old moved");
    Put(copied, "old copied");
    ASSERT_FALSE(kernel::set_file_attributes(moved, kernel::file_attribute_readonly | kernel::file_attribute_hidden));

    PendingChange writing = log.AddFile(fresh, 0, PreviousFile::MoveAside);
    EXPECT_TRUE(log.HasPendingChange());
    writing.Complete(true);
    log.AddFile(moved, 1, PreviousFile::MoveAside).Complete(true);
    const PendingChange copying = log.AddFile(copied, 3, PreviousFile::CopyAside);

    ASSERT_EQ(log.entries.size(), 3u);
    const auto& [freshEntry, movedEntry, copiedEntry] =
        std::tie(*log.entries.begin(), *std::next(log.entries.begin()), log.entries.back());
    EXPECT_EQ(freshEntry.kind, UninstallLogEntry::File);
    EXPECT_EQ(freshEntry.path, fresh.string());
    EXPECT_TRUE(freshEntry.backupPath.empty());
    EXPECT_FALSE(freshEntry.previousStaysInPlace);

    // Moved: gone from its place, in the temporary folder with its attributes.
    EXPECT_EQ(movedEntry.value, 1);
    EXPECT_FALSE(fs::exists(moved));
    ASSERT_FALSE(movedEntry.backupPath.empty());
    EXPECT_TRUE(fs::equivalent(fs::path(movedEntry.backupPath).parent_path(), machine.temp()));
    EXPECT_EQ(fs::path(movedEntry.backupPath).filename().string().substr(0, 2), "vn");
    EXPECT_EQ(Content(movedEntry.backupPath), "old moved");
    EXPECT_EQ(kernel::file_attributes(movedEntry.backupPath),
              kernel::file_attribute_readonly | kernel::file_attribute_hidden);
    EXPECT_FALSE(movedEntry.previousStaysInPlace);

    // Copied: still in place, and the copy beside the other backup.
    EXPECT_FALSE(copiedEntry.done);
    EXPECT_TRUE(log.HasPendingChange());
    EXPECT_EQ(Content(copied), "old copied");
    ASSERT_FALSE(copiedEntry.backupPath.empty());
    EXPECT_EQ(Content(copiedEntry.backupPath), "old copied");
    EXPECT_EQ(FilesIn(machine.temp()).size(), 2u);
}

TEST_F(ChangeRecording, ABackupThatCannotBeMadeThrowsAndLeavesEverythingAsItWas) {
    const fs::path missing = machine.root() / "missing.dat";
    for (const bool copy : {false, true}) {
        EXPECT_THROW(log.MakeBackup(missing, copy), std::system_error) << copy;
    }
    EXPECT_TRUE(FilesIn(machine.temp()).empty());

    // Without a private folder for backups nothing is put aside, and the file to be replaced is not
    // recorded nor touched: the change is not made.
    const fs::path file = machine.root() / "kept.dat";
    Put(file, "old");
    UninstallLog withoutFolder;
    EXPECT_THROW(withoutFolder.AddFile(file, 0, PreviousFile::MoveAside), std::system_error);
    EXPECT_TRUE(withoutFolder.entries.empty());
    EXPECT_EQ(Content(file), "old");

    // A reserved name is an empty file of this account's alone.
    const fs::path reserved = log.ReserveBackup();
    ASSERT_FALSE(reserved.empty());
    EXPECT_EQ(reserved.parent_path(), log.backupFolder);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(reserved)));
    EXPECT_EQ(fs::file_size(reserved), 0u);
    EXPECT_EQ(fs::status(reserved).permissions() & 077, 0);
}

TEST_F(ChangeRecording, AddShortcutMovesThePreviousShortcutOfItsKindAside) {
    const fs::path oldMenu = machine.root() / "old menu";
    fs::create_directories(oldMenu);
    Put(oldMenu / "main.desktop", "old main");
    Put(oldMenu / "uninstall.desktop", "old uninstall");
    for (const auto& [kind, name] : {std::pair{UninstallLogEntry::UninstallShortcut, "uninstall.desktop"},
                                     std::pair{UninstallLogEntry::StartMenuShortcut, "main.desktop"},
                                     std::pair{UninstallLogEntry::StartMenuShortcut, "uninstall.desktop"}}) {
        UninstallLogEntry previous;
        previous.kind = kind;
        previous.path = (oldMenu / name).string();
        previous.done = true;
        log.previousEntries.push_back(previous);
    }
    const fs::path newMenu = machine.root() / "menu" / "Quillon 7";

    PendingChange making = log.AddShortcut(ShortcutKind::StartMenuMain, newMenu);

    ASSERT_EQ(log.entries.size(), 3u);  // two folders, then the shortcut
    EXPECT_TRUE(fs::is_directory(newMenu));
    const UninstallLogEntry& shortcut = log.entries.back();
    EXPECT_EQ(shortcut.kind, UninstallLogEntry::StartMenuShortcut);
    EXPECT_EQ(shortcut.path, "");
    EXPECT_FALSE(shortcut.done);
    EXPECT_TRUE(log.HasPendingChange());
    // The first previous entry of the kind is the one moved; the uninstall shortcut stays.
    EXPECT_FALSE(fs::exists(oldMenu / "main.desktop"));
    EXPECT_EQ(Content(shortcut.backupPath), "old main");
    EXPECT_EQ(Content(oldMenu / "uninstall.desktop"), "old uninstall");

    // No previous desktop shortcut: nothing to put aside.
    making.Complete(true, (newMenu / "main.desktop").string());
    const PendingChange desktop = log.AddShortcut(ShortcutKind::Desktop, machine.home() / "Desktop");
    EXPECT_EQ(log.entries.back().kind, UninstallLogEntry::DesktopShortcut);
    EXPECT_TRUE(log.entries.back().backupPath.empty());
    EXPECT_FALSE(log.entries.back().previousStaysInPlace);

    EXPECT_THROW((void)log.AddShortcut(static_cast<ShortcutKind>(3), newMenu), std::invalid_argument);
}

TEST_F(ChangeRecording, CompleteClosesOnlyThePendingEntry) {
    PendingChange nothing;
    nothing.Complete(true, std::string("nothing recorded yet"));
    EXPECT_TRUE(log.entries.empty());

    PendingChange directX = log.AddDirectX();
    directX.Complete(true, std::string("DirectX 9.0c"));
    EXPECT_FALSE(log.HasPendingChange());
    EXPECT_TRUE(log.entries.back().done);
    EXPECT_EQ(log.entries.back().path, "DirectX 9.0c");

    // A second completion of the same step changes nothing.
    directX.Complete(false, std::string("again"));
    EXPECT_TRUE(log.entries.back().done);
    EXPECT_EQ(log.entries.back().path, "DirectX 9.0c");

    PendingChange registration = log.AddRegistrationRun();
    EXPECT_TRUE(log.HasPendingChange());
    registration.Complete(false);
    EXPECT_EQ(log.entries.back().kind, UninstallLogEntry::RegistrationRun);
    EXPECT_FALSE(log.entries.back().done);
    EXPECT_EQ(log.entries.back().path, "");
    EXPECT_EQ(log.entries.size(), 2u);
}

// Each handle closes its own entry, whatever was recorded after it; one that is dropped unfinished
// (an early return, an exception) leaves its change failed; one whose entry a rollback has taken away
// completes nothing.
TEST_F(ChangeRecording, AHandleClosesItsOwnChangeOnlyAndFailsItWhenDropped) {
    PendingChange file = log.AddFile(machine.root() / "app" / "a.dat", 0, PreviousFile::MoveAside);
    {
        PendingChange dropped = log.AddDirectX();
        file.Complete(true);
        EXPECT_TRUE(log.HasPendingChange());
    }
    EXPECT_FALSE(log.HasPendingChange());
    ASSERT_EQ(log.entries.size(), 3u);  // the folder made for the file, the file, the runtime setup
    EXPECT_TRUE(std::next(log.entries.begin())->done);
    EXPECT_FALSE(log.entries.back().done);

    PendingChange moved;
    {
        PendingChange open = log.AddRegistrationRun();
        moved = std::move(open);
    }
    EXPECT_TRUE(log.HasPendingChange());
    log.Rollback();
    EXPECT_FALSE(log.HasPendingChange());
    moved.Complete(true, std::string("after the rollback"));
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(ChangeRecording, WasInstalledBeforeAsksForADoneFileEntryWithTheExactPath) {
    auto previous = [&](EntryKind kind, const std::string& path, bool done) {
        UninstallLogEntry entry;
        entry.kind = kind;
        entry.path = path;
        entry.done = done;
        log.previousEntries.push_back(entry);
    };
    previous(UninstallLogEntry::File, "/var/opt/Vintrel/Shared/a.dat", true);
    previous(UninstallLogEntry::File, "/var/opt/Vintrel/Shared/b.dat", false);
    previous(UninstallLogEntry::Folder, "/var/opt/Vintrel/Shared/c.dat", true);

    const struct {
        const char* path;
        bool expected;
    } cases[] = {
        {"/var/opt/Vintrel/Shared/a.dat", true},  {"/var/opt/Vintrel/Shared/A.dat", false},  // letter case counts
        {"/var/opt/Vintrel/Shared/b.dat", false},                                            // not done
        {"/var/opt/Vintrel/Shared/c.dat", false},                                            // not a file entry
        {"/var/opt/Vintrel/Shared/d.dat", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(log.WasInstalledBefore(c.path), c.expected) << c.path;
    }
}

}  // namespace
