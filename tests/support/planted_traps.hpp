// What a local user can plant where the machine's named objects live, before root's installer or
// uninstaller comes: the traps every test of the named objects runs through, and the set-up that
// lets the second account reach a sandbox's R/run/lock as it reaches the system's.
#pragma once

#include "support/second_account.hpp"

#include <sys/stat.h>

#include <boost/filesystem/operations.hpp>

#include <string>
#include <vector>

namespace test_support {

struct PlantedTrap {
    const char* what;
    // Planted in the objects folder while root's own folder is there (a root process holds some
    // other object); otherwise R/run/lock holds nothing of ours yet and the account comes first.
    bool inRootsFolder;
    // A shell script run as the account: $1 the objects folder, $2 the object's file name, $3 a file
    // and $4 a folder of root's that nothing may change.
    const char* script;
};

inline const std::vector<PlantedTrap>& PlantedTraps() {
    static const std::vector<PlantedTrap> traps = {
        {"FIFO at the name", true, R"(mkfifo "$1/$2")"},
        {"link to a root file at the name", true, R"(ln -s "$3" "$1/$2")"},
        {"dangling link at the name", true, R"(ln -s "$1/nowhere" "$1/$2")"},
        {"stale file at the name", true, R"(printf 'QNOBJ' >"$1/$2")"},
        {"folder with a file at the name", true, R"(mkdir "$1/$2" && : >"$1/$2/inside")"},
        {"objects folder made first, open to all", false, R"(mkdir -m 777 "$1")"},
        {"objects folder made first, FIFO inside", false, R"(mkdir "$1" && mkfifo "$1/$2")"},
        {"objects folder made first, link inside", false, R"(mkdir "$1" && ln -s "$3" "$1/$2")"},
        {"link to a root folder as the objects folder", false, R"(ln -s "$4" "$1")"},
        {"FIFO as the objects folder", false, R"(mkfifo "$1")"},
    };
    return traps;
}

// Runs the trap's script as the account; its exit status (0 when planted).
inline int Plant(const SecondAccount& account, const PlantedTrap& trap, const boost::filesystem::path& objectsFolder,
                 const std::string& fileName, const boost::filesystem::path& decoyFile,
                 const boost::filesystem::path& decoyFolder) {
    return RunAs(account, {"sh", "-c", trap.script, "sh", objectsFolder.string(), fileName, decoyFile.string(),
                           decoyFolder.string()});
}

// Opens the way from `top` down to the system root `root` to every account, and makes R/run/lock
// as systems have it: sticky and writable by all.
inline void OpenLikeTheSystem(const boost::filesystem::path& top, const boost::filesystem::path& root) {
    boost::filesystem::create_directories(root / "run/lock");
    for (boost::filesystem::path folder = root; !folder.empty(); folder = folder.parent_path()) {
        ::chmod(folder.c_str(), 0755);
        if (folder == top) {
            break;
        }
    }
    ::chmod((root / "run").c_str(), 0755);
    ::chmod((root / "run/lock").c_str(), 01777);
}

}  // namespace test_support
