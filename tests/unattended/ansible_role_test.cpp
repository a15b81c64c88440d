// The Ansible role of deploy/ansible, run by the real tool against the sandbox: its example playbook
// on this machine (`-i localhost, -c local`), the role pointing the installer at the sandbox's root.
#include "platform/scratch_folder.hpp"
#include "program_version_resource.hpp"
#include "support/installer_process.hpp"
#include "support/machine_snapshot.hpp"
#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <regex>
#include <string>

namespace fs = boost::filesystem;

namespace {

struct PlayOutcome {
    int exitCode = -1;
    int changed = -1;  // from the recap; -1 when there is none
    int failed = -1;
    std::string output;
};

class AnsibleRole : public test_support::sandbox_test {
protected:
    test_support::without_display m_noDisplay;

    fs::path InstallFolder() const { return machine.root() / "opt/Vintrel/Quillon 7"; }
    test_support::machine_snapshot Snapshot() const { return test_support::without_named_objects(machine.snapshot()); }

    // The example playbook with the given extra variables (JSON members) and options. SETUP_SYSTEM_ROOT
    // is taken out of the tool's environment: only the role's quillon_system_root may point into the
    // sandbox. The tool keeps its own files outside the sandbox's root and home.
    PlayOutcome Play(const std::string& variables = {}, const std::string& options = {}) const {
        const std::string extra = R"({"quillon_installer": ")" QUILLON_BINARY_DIR R"(/bin/quillon-setup", )"
                                  R"("quillon_system_root": ")" +
                                  machine.root().string() + "\"" + (variables.empty() ? "" : ", " + variables) + "}";
        // The play asks to become root; the test runs as root already and the machine may lack sudo.
        const std::string arguments = "-i localhost, -c local -e ansible_become=false -e " +
                                      test_support::single_quoted(extra) + " " + options + " " +
                                      QUILLON_SOURCE_DIR "/deploy/ansible/playbook.yml";
        const std::string environment =
            "env -u SETUP_SYSTEM_ROOT ANSIBLE_HOME=" + (machine.folder() / "ansible").string() +
            " ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0";
        const auto run = test_support::run_installer("ansible-playbook", arguments, machine.folder(), environment);
        PlayOutcome outcome;
        outcome.exitCode = run.exit_code;
        outcome.output = run.output + run.errors;
        std::smatch recap;
        if (std::regex_search(outcome.output, recap,
                              std::regex(R"(localhost\s*: ok=\d+\s+changed=(\d+).*failed=(\d+))"))) {
            outcome.changed = std::stoi(recap[1]);
            outcome.failed = std::stoi(recap[2]);
        }
        return outcome;
    }

    static bool Says(const PlayOutcome& play, const std::string& text) {
        return play.output.find(text) != std::string::npos;
    }
};

TEST_F(AnsibleRole, CheckModeInstallsNothingTheFirstRunInstallsAndTheSecondChangesNothing) {
    const auto fresh = Snapshot();
    const auto check = Play({}, "--check");
    ASSERT_EQ(check.exitCode, 0) << check.output;
    EXPECT_EQ(check.changed, 1) << check.output;
    EXPECT_TRUE(Says(check, "Would run quillon-setup --unattended --language en --no-desktop")) << check.output;
    EXPECT_TRUE(test_support::same_machine(fresh, Snapshot()));

    const auto first = Play();
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_EQ(first.changed, 1) << first.output;
    EXPECT_TRUE(fs::is_regular_file(InstallFolder() / "quillon"));

    const auto installed = Snapshot();
    const auto second = Play();
    EXPECT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(second.changed, 0) << second.output;
    const auto checkAgain = Play({}, "--check");
    EXPECT_EQ(checkAgain.exitCode, 0) << checkAgain.output;
    EXPECT_EQ(checkAgain.changed, 0) << checkAgain.output;
    EXPECT_TRUE(test_support::same_machine(installed, Snapshot()));

    // An older version installed: the role updates it.
    test_support::set_program_version(InstallFolder() / "quillon", machine.folder(), 0x00070002, 0x00020000);
    const auto update = Play();
    EXPECT_EQ(update.exitCode, 0) << update.output;
    EXPECT_EQ(update.changed, 1) << update.output;
}

TEST_F(AnsibleRole, AFailingInstallerFailsThePlayWithTheMeaningOfItsExitCode) {
    {
        SCOPED_TRACE("an installer that is not the one named");
        const auto before = Snapshot();
        const auto play = Play(R"("quillon_sha256": ")" + std::string(64, '0') + "\"");
        EXPECT_NE(play.exitCode, 0);
        EXPECT_EQ(play.failed, 1) << play.output;
        EXPECT_TRUE(Says(play, "it is not run")) << play.output;
        EXPECT_TRUE(test_support::same_machine(before, Snapshot()));
    }
    {
        SCOPED_TRACE("a full disk");
        const fs::path small = machine.root() / "small";
        const test_support::private_tmpfs disk(small, "2m");
        if (disk.mounted()) {
            const auto before = Snapshot();
            const auto play = Play(R"("quillon_folder": ")" + (small / "Quillon").string() + "\"");
            EXPECT_NE(play.exitCode, 0);
            EXPECT_EQ(play.failed, 1) << play.output;
            EXPECT_EQ(play.changed, 0) << play.output;
            EXPECT_TRUE(Says(play, "exit code 1, the installation failed and was rolled back")) << play.output;
            EXPECT_TRUE(Says(play, "No space left on device")) << play.output;
            EXPECT_TRUE(test_support::same_machine(before, Snapshot()));
        }
    }
    {
        SCOPED_TRACE("a newer version installed");
        ASSERT_EQ(Play().exitCode, 0);
        test_support::set_program_version(InstallFolder() / "quillon", machine.folder(), 0x00080000, 0);
        const auto before = Snapshot();
        const auto play = Play();
        EXPECT_NE(play.exitCode, 0);
        EXPECT_EQ(play.failed, 1) << play.output;
        EXPECT_TRUE(Says(play, "Exit code 6, a newer version of the product is installed: Quillon 7.xx"))
            << play.output;
        EXPECT_TRUE(test_support::same_machine(before, Snapshot()));
    }
}

}  // namespace
