// The record of an installation's changes, and its file "Uninstall.ulog" beside the product's
// uninstaller: read at start-up to reuse the previous installation's folders and carry its
// entries forward, written at the end of an installation for the uninstaller to undo.
//
// While an installation runs, every change is recorded here just before it is made, and whatever it
// would destroy is first put aside as a backup in the run's private temporary folder, so that a
// failed run can be rolled back to the machine as it was; a change whose backup cannot be made is not
// made. Each kind of change has its own unit, which records it and
// gives the entry its undo; Rollback asks the entries to undo themselves, newest first.
//
// A rollback never deletes what the run did not write. An entry whose previous state is still in
// place because the run kept it on purpose says so with `previousStaysInPlace`: a file entry gets it
// from AddFile when the caller keeps the file there (PreviousFile::Keep: a shared file the run does
// not write, which needs no backup).
#pragma once

#include "platform/registry/hive.hpp"
#include "uninstall_log/pending_change.hpp"

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <vector>

namespace platform::registry {
class Key;
}

// What an entry stands for, by the number the log file stores.
enum class EntryKind : std::uint32_t {
    Folder = 0,
    File = 1,
    StartMenuShortcut = 2,
    UninstallShortcut = 3,
    DesktopShortcut = 4,
    UninstallKey = 5,
    RegistrationRun = 6,
    DirectXRuntime = 7,
};

// The number of a kind in the log file.
constexpr std::uint32_t KindNumber(EntryKind kind) {
    return static_cast<std::uint32_t>(kind);
}

// The product's shortcuts, in the order of their entry kinds (StartMenuShortcut onwards).
enum class ShortcutKind : std::uint32_t {
    StartMenuMain = 0,
    StartMenuUninstall = 1,
    Desktop = 2,
};

struct UninstallLogEntry {
    using Kind = EntryKind;
    using enum EntryKind;
    static constexpr Kind lastKind = DirectXRuntime;

    Kind kind = Folder;
    std::string path;
    std::string backupPath;  // a temporary file holding what the change replaced; never written out
    bool done = false;
    std::int32_t value = -1;  // kind-specific; only its low 8 bits reach the file
    // What was there before the run is still in place and not in a backup: a rollback leaves it
    // alone (see the top of this file). Never written out.
    bool previousStaysInPlace = false;
    // How a rollback undoes the change, given by the unit that recorded it; empty for entries read from
    // a log and for the steps a rollback leaves alone. Never written out.
    std::function<void(const UninstallLogEntry&)> undo;
};

// What AddFile does with a file already at the path.
enum class PreviousFile {
    MoveAside,  // the run replaces it: moved into a backup
    CopyAside,  // the run overwrites it: copied into a backup, left in place
    Keep,       // the run does not write it: copied into a backup that a rollback only discards
};

class UninstallLog {
public:
    UninstallLog() = default;
    // The open changes move with the record.
    UninstallLog(UninstallLog&& other) noexcept;
    UninstallLog& operator=(UninstallLog&&) = delete;
    ~UninstallLog();

    std::string installPath;
    std::string shortcutPath;
    std::list<UninstallLogEntry> previousEntries;  // read from the previous log, in file order
    std::list<UninstallLogEntry> entries;          // recorded by this installation, oldest first
    std::string previousProduct;
    // Where backups go: the run's private temporary folder, which no other account can write, so
    // that nobody can take, plant or read a backup's name. Without one, no change that needs a
    // backup is made.
    boost::filesystem::path backupFolder;

    // Reads a previous log. Without a path, or when the file cannot be opened, only the two paths
    // are emptied. A malformed line stops the reading; what was read before it stays.
    void Read(const boost::filesystem::path* file);

    // Replaces the log file as a whole with this installation's entries, the previous ones merged in,
    // leaving the record as it is, so that the run can still be rolled back; Commit then does the
    // rest. True when the new file is in place.
    bool Save(const boost::filesystem::path& file, const std::string& installPathText,
              const std::string& shortcutPathText) const;
    // The run is over: merges the previous entries into this installation's, deletes every backup and
    // forgets how to undo every change, listed or not. The record can no longer be rolled back.
    void Commit();

    // Recording. Each Add... appends the newest entry, not done, and returns the handle that completes
    // it; failures of the platform reach only the diagnostic log (a folder not made ends CreateFolders),
    // except a backup that cannot be made: that throws std::system_error before anything is recorded
    // or changed, and the run fails and is rolled back.

    // Creates the missing folders of the path, outermost first, and records each one it created.
    // The first folder that cannot be created ends the walk.
    void CreateFolders(const boost::filesystem::path& path);
    // Records a file about to be written, after creating its folders. A file already there is put
    // aside as `previous` says.
    PendingChange AddFile(const boost::filesystem::path& path, std::int32_t value, PreviousFile previous);
    // Records a shortcut about to be created in the folder, after creating the folder, and moves the
    // previous installation's shortcut of that kind aside. Throws std::invalid_argument for a value
    // outside the enumeration.
    PendingChange AddShortcut(ShortcutKind which, const boost::filesystem::path& folder);
    // Records the product's Uninstall key; `existingKey` is the key when it was there before the run
    // (it is saved into a backup now), null when the run has just created it.
    PendingChange AddRegistryKey(const platform::registry::Key* existingKey);
    PendingChange AddRegistrationRun();
    PendingChange AddDirectX();

    // Changes of this run that the written log does not list (the uninstaller undoes them its own way,
    // or they are the log file itself), recorded just before they are made with what was there, so
    // that a rollback puts it back. They are undone in one newest-first order with the entries.

    // The key with everything below it, kept in memory: a rollback gives it back as it was, or deletes
    // it with the keys made on its way when it was not there. A key that cannot be read is left alone.
    void RecordKeyState(platform::registry::hive hive, const std::string& path);
    // The file, copied into a backup: a rollback deletes what is there then and gives the old file
    // back, or removes the folders made on its way once empty. A file that cannot be copied throws,
    // as MakeBackup does.
    void RecordFileState(const boost::filesystem::path& path);
    // A folder missing now: a rollback removes it with everything in it, all of it made during the run.
    void RecordNewFolderTree(const boost::filesystem::path& folder);
    // Something a rollback does after undoing the later changes, such as telling the desktop.
    void RecordUndo(std::function<void()> undo) { RecordUnlisted(std::move(undo)); }

    // Whether a recorded change still waits for its outcome.
    bool HasPendingChange() const { return !m_openChanges.empty(); }

    // Whether the previous installation wrote exactly this file (case-sensitive, done entries only).
    bool WasInstalledBefore(const boost::filesystem::path& path) const;

    // Puts the file at `path` aside into a new file of `backupFolder`, moving it or copying it; the
    // backup carries the file's attributes. Returns the backup's path. Throws std::system_error when
    // no backup can be made (no folder, no name, the file cannot be moved or copied), with the file
    // as it was: a change that needs a backup is then not made at all.
    std::string MakeBackup(const boost::filesystem::path& path, bool copy) const;
    // Creates a new, empty file in `backupFolder` for a backup made otherwise; its path. Throws as
    // MakeBackup does.
    std::string ReserveBackup() const;

    // Undoes every change of this run, newest first, and empties `entries`; a change still open is
    // undone with the rest and its handle completes nothing. Failures are skipped, each with a line in
    // the diagnostic log. After Commit the backups are gone and undoing would only destroy what was
    // installed: a debug build stops on the call, a release build writes a diagnostic line and changes
    // nothing.
    void Rollback();

private:
    friend class PendingChange;
    // Appends the newest entry, not done, without an undo.
    UninstallLogEntry& Append(EntryKind kind, std::string path = {}, std::int32_t value = -1);
    // Opens the change of a newly appended entry.
    PendingChange Open(UninstallLogEntry& entry) { return PendingChange(*this, entry); }
    void DetachOpenChanges() noexcept;
    // `backup` is deleted by Commit.
    void RecordUnlisted(std::function<void()> undo, std::string backup = {});
    bool WriteFile(const boost::filesystem::path& file, const std::string& installPathText,
                   const std::string& shortcutPathText, std::list<UninstallLogEntry>& merged) const;

    struct UnlistedChange {
        std::size_t entriesBefore;  // how many entries were recorded before it
        std::function<void()> undo;
        std::string backupPath;
    };
    std::vector<PendingChange*> m_openChanges;
    std::vector<UnlistedChange> m_unlisted;
    bool m_committed = false;
};

// The Uninstall key's parent, under HKEY_LOCAL_MACHINE.
inline constexpr const char* kUninstallKeyParent = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The texts the log stores for the two registry entries in place of their paths.
std::string UninstallKeyLogText();
inline constexpr const char* kRegistrationRunLogText = "HKEY_CLASSES_ROOT\\...";
