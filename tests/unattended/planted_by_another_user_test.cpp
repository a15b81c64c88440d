// A local user who may write the shared data folders (the installer gives the group `users` that
// right) plants links, fifos and second names there; then root reinstalls, updates, fails and rolls
// back, and uninstalls. Whatever was planted, nothing in a root folder outside the shared tree may be
// created, changed, opened up or deleted, and a planted file never blocks a later installation.
#include "platform/scratch_folder.hpp"
#include "program_version_resource.hpp"
#include "support/file_content.hpp"
#include "support/installer_process.hpp"
#include "support/machine_snapshot.hpp"
#include "support/sandbox_machine.hpp"
#include "support/second_account.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace fs = boost::filesystem;
using test_support::single_quoted;

namespace {

class LocalUser;

struct Trap {
    const char* what;
    // Plants the trap where a shared file or folder of the installation is.
    std::function<void(const LocalUser& self)> plant;
    bool blocksInstallation;  // a folder of ours is a link: a run must fail and be rolled back
};

void PrintTo(const Trap& trap, std::ostream* out) {
    *out << trap.what;
}

// A sandbox machine with a second, unprivileged account that may reach its shared folders.
class LocalUser : public test_support::sandbox_test {
public:
    // The installer and the uninstaller run as a script runs them, without windows.
    test_support::without_display m_noDisplay;
    fs::path Decoy() const { return machine.root() / "var/opt/decoy"; }
    fs::path Materials() const { return machine.root() / "var/opt/Vintrel/Materials"; }

    // Runs a shell script as the other account; it must succeed, or the case tests nothing.
    void AsUser(const std::string& script) const {
        ASSERT_EQ(test_support::RunAs(*m_account, {"sh", "-c", script}), 0) << script;
    }

protected:
    void SetUp() override {
        std::string why;
        m_account = test_support::EnsureSecondAccount(why);
        ASSERT_TRUE(m_account) << "these cases need a second account: " << why;
        // The other account must reach the shared folders, as it would on a real machine.
        for (fs::path folder = machine.root(); folder.has_relative_path(); folder = folder.parent_path()) {
            struct stat facts {};
            if (::stat(folder.c_str(), &facts) == 0 && (facts.st_mode & S_IXOTH) == 0) {
                ::chmod(folder.c_str(), (facts.st_mode & 07777) | S_IXOTH);
            }
        }
    }

    // Root's own files beside the shared tree, on its file system, outside every folder the installer
    // writes: the names of shared files, one of them read-only.
    void MakeDecoy() const {
        fs::create_directories(Decoy());
        test_support::write_file(Decoy() / "Wood.qmat", "root's wood");
        test_support::write_file(Decoy() / "Stone.qmat", "root's stone");
        fs::permissions(Decoy() / "Wood.qmat", fs::owner_read | fs::owner_write);
        fs::permissions(Decoy() / "Stone.qmat", fs::owner_read);
    }

    static fs::path Program() { return QUILLON_BINARY_DIR "/bin/quillon-setup"; }
    fs::path InstallFolder() const { return machine.root() / "opt/Vintrel/Quillon 7"; }
    fs::path Log() const { return machine.folder() / "install.log"; }

    test_support::installer_result Install() const {
        return test_support::run_installer(Program(), "--unattended --language en --log " + Log().string(),
                                           machine.folder());
    }
    test_support::installer_result Uninstall() const {
        return test_support::run_installer(InstallFolder() / "uninstall", "", machine.folder());
    }

    // Everything of the decoy: type, content, mode, owner, attributes and ACLs.
    std::map<std::string, test_support::file_state> DecoyState() const {
        std::map<std::string, test_support::file_state> decoy;
        for (const auto& [path, state] : machine.snapshot().files) {
            if (path.rfind("root/var/opt/decoy", 0) == 0) {
                decoy.emplace(path, state);
            }
        }
        return decoy;
    }

    // Gives the installed main program an older version, as an update finds it.
    void MakeInstalledVersionOlder() const {
        test_support::set_program_version(InstallFolder() / "quillon", machine.folder(), 0x00070002, 0x00020000);
    }

private:
    std::optional<test_support::SecondAccount> m_account;
};

class PlantedByAnotherUser : public LocalUser, public testing::WithParamInterface<Trap> {};

const fs::path kWood = "Wood.qmat";

std::string Differences(const std::map<std::string, test_support::file_state>& before,
                        const std::map<std::string, test_support::file_state>& after) {
    std::string text;
    for (const auto& [path, state] : before) {
        const auto now = after.find(path);
        if (now == after.end()) {
            text += "deleted: " + path + "\n";
        } else if (!(now->second == state)) {
            text += "changed: " + path + "\n";
        }
    }
    for (const auto& [path, state] : after) {
        if (!before.count(path)) {
            text += "created: " + path + "\n";
        }
    }
    return text;
}

TEST_P(PlantedByAnotherUser, TouchesNothingOutsideTheSharedFoldersAndNeverBlocksALaterRun) {
    const Trap& trap = GetParam();
    // The shared folders on a file system of their own, so that a run can be made to fail there.
    const test_support::private_tmpfs sharedDisk(machine.root() / "var" / "opt", "16m,mode=0755");
    ASSERT_TRUE(sharedDisk.mounted()) << "no private file system for the failing run";
    MakeDecoy();
    const auto installed = Install();
    ASSERT_EQ(installed.exit_code, 0) << installed.errors;
    const auto decoy = DecoyState();

    const auto expect = [&](const char* operation, const test_support::installer_result& run, int exitCode) {
        SCOPED_TRACE(operation);
        EXPECT_EQ(run.exit_code, exitCode) << run.errors;
        EXPECT_EQ(Differences(decoy, DecoyState()), "");
        if (trap.blocksInstallation && exitCode == 1 && std::string(operation) != "uninstall") {
            EXPECT_NE(run.errors.find("(Error Code 1:00000781)"), std::string::npos) << run.errors;
            // The administrator finds the link by its path.
            const std::string log = test_support::read_file(Log());
            EXPECT_NE(log.find("Not following a symbolic link in a folder other accounts may write: " +
                               Materials().string() + "/"),
                      std::string::npos)
                << log;
        }
    };
    const int runExit = trap.blocksInstallation ? 1 : 0;

    trap.plant(*this);
    expect("reinstallation", Install(), runExit);
    if (!trap.blocksInstallation) {
        // What was planted is gone, never followed, and the file is the installation's own again.
        struct stat facts {};
        ASSERT_EQ(::lstat((Materials() / kWood).c_str(), &facts), 0);
        EXPECT_TRUE(S_ISREG(facts.st_mode));
        EXPECT_EQ(facts.st_nlink, 1u);
        EXPECT_NE(test_support::read_file(Materials() / kWood), "root's wood");
    }

    trap.plant(*this);
    MakeInstalledVersionOlder();
    expect("update", Install(), runExit);

    trap.plant(*this);
    {
        // A full disk where the shared files are: the run fails and is rolled back.
        const fs::path filler = machine.root() / "var" / "opt" / "filler";
        std::system(("dd if=/dev/zero of=" + single_quoted(filler.string()) + " bs=64k 2>/dev/null").c_str());
        expect("rollback after a failure", Install(), 1);
        fs::remove(filler);
    }

    trap.plant(*this);
    expect("uninstall", Uninstall(), runExit);
}

const Trap kTraps[] = {
    {"the Materials folder replaced by a link to a root folder",
     [](const LocalUser& self) {
         const std::string materials = single_quoted(self.Materials().string());
         self.AsUser("[ -L " + materials + " ] || { mv " + materials + " " + materials + ".mine && ln -s " +
                     single_quoted(self.Decoy().string()) + " " + materials + "; }");
     },
     true},
    {"a shared file replaced by a link to a root file",
     [](const LocalUser& self) {
         self.AsUser("ln -sfn " + single_quoted((self.Decoy() / kWood).string()) + " " +
                     single_quoted((self.Materials() / kWood).string()));
     },
     false},
    {"a shared file replaced by a dangling link",
     [](const LocalUser& self) {
         self.AsUser("ln -sfn " + single_quoted((self.Decoy() / "Missing.qmat").string()) + " " +
                     single_quoted((self.Materials() / kWood).string()));
     },
     false},
    {"a shared file replaced by a fifo",
     [](const LocalUser& self) {
         const std::string file = single_quoted((self.Materials() / kWood).string());
         self.AsUser("rm -f " + file + " && mkfifo " + file);
     },
     false},
    // This kernel forbids a user a hard link to a file they cannot write (protected_hardlinks), so
    // root makes it here, as a kernel without that protection lets the user.
    {"a shared file replaced by a second name of a root file",
     [](const LocalUser& self) {
         fs::remove(self.Materials() / kWood);
         fs::create_hard_link(self.Decoy() / kWood, self.Materials() / kWood);
     },
     false},
};

INSTANTIATE_TEST_SUITE_P(Traps, PlantedByAnotherUser, testing::ValuesIn(kTraps));

// Backups are made in the run's own folder: a user who takes every backup name of the shared
// temporary folder cannot make an update go on without them, and one that fails goes back exactly.
TEST_F(LocalUser, TakingEveryBackupNameInTheSharedTemporaryFolderStopsNoRollback) {
    const test_support::private_tmpfs sharedDisk(machine.root() / "var" / "opt", "16m,mode=0755");
    ASSERT_TRUE(sharedDisk.mounted()) << "no private file system for the failing run";
    ASSERT_EQ(Install().exit_code, 0);
    MakeInstalledVersionOlder();

    ASSERT_EQ(::chmod(machine.temp().c_str(), 01777), 0);  // shared, as /tmp is
    AsUser("cd " + single_quoted(machine.temp().string()) +
           " && seq 1 65535 | awk '{ printf \"vn%04X.tmp\\n\", $1 }' | xargs touch");
    ASSERT_TRUE(fs::exists(machine.temp() / "vnFFFF.tmp"));
    // The update writes this shared file anew, on a disk with no room left: it fails after the
    // program files were replaced.
    AsUser("rm " + single_quoted((Materials() / kWood).string()));
    const fs::path filler = machine.root() / "var" / "opt" / "filler";
    std::system(("dd if=/dev/zero of=" + single_quoted(filler.string()) + " bs=64k 2>/dev/null").c_str());
    // The grant of the kept shared folders is written again with the same entries in a larger list:
    // the recorded access lists are not compared.
    const auto comparable = [this] {
        auto snapshot = test_support::without_named_objects(machine.snapshot());
        for (auto& [path, state] : snapshot.files) {
            state.xattrs.erase("user.vn.dacl");
        }
        return snapshot;
    };
    const auto before = comparable();

    const auto update = Install();

    EXPECT_EQ(update.exit_code, 1) << update.errors;
    EXPECT_TRUE(test_support::same_machine(before, comparable()));
}

}  // namespace
