// The record of an installation's changes, and its file "Uninstall.ulog" beside the product's
// uninstaller: read at start-up to reuse the previous installation's folders and carry its
// entries forward, written at the end of an installation for the uninstaller to undo.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <list>
#include <string>

struct UninstallLogEntry {
    enum Kind : std::uint32_t {
        Folder = 0,
        File = 1,
        StartMenuShortcut = 2,
        UninstallShortcut = 3,
        DesktopShortcut = 4,
        UninstallKey = 5,
        RegistrationRun = 6,
        DirectXRuntime = 7,
    };
    static constexpr std::uint32_t lastKind = DirectXRuntime;

    std::uint32_t kind = Folder;
    std::string path;
    std::string backupPath;  // a temporary file holding what the change replaced; never written out
    bool done = false;
    std::int32_t value = -1;  // kind-specific; only its low 8 bits reach the file
    // The file at `path` was there before the run and could not be put aside: a rollback must
    // leave it alone. Never written out.
    bool keepsPreviousFile = false;
};

class UninstallLog {
public:
    std::string installPath;
    std::string shortcutPath;
    std::list<UninstallLogEntry> previousEntries;  // read from the previous log, in file order
    std::list<UninstallLogEntry> entries;          // recorded by this installation, oldest first
    bool pendingCommit = false;
    std::string previousProduct;

    // Reads a previous log. Without a path, or when the file cannot be opened, only the two paths
    // are emptied. A malformed line stops the reading; what was read before it stays.
    void Read(const boost::filesystem::path* file);

    // Merges the previous entries into this installation's, replaces the log file as a whole, and
    // deletes every backup. True when the new file is in place.
    bool Write(const boost::filesystem::path& file, const std::string& installPathText,
               const std::string& shortcutPathText);
};

// The texts the log stores for the two registry entries in place of their paths.
std::string UninstallKeyLogText();
inline constexpr const char* kRegistrationRunLogText = "HKEY_CLASSES_ROOT\\...";
