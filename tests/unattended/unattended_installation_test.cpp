// The installer run as an administrator's script runs it: `--unattended` on a machine without a
// display, in the sandbox, with the exit code and the diagnostic log as the only report.
#include "platform/registry/key.hpp"
#include "platform/scratch_folder.hpp"
#include "program_version_resource.hpp"
#include "startup/installed_product.hpp"
#include "startup/startup_probe.hpp"
#include "support/installer_process.hpp"
#include "support/machine_snapshot.hpp"
#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = boost::filesystem;
namespace reg = platform::registry;

namespace {

constexpr int kPayloadEntries = 71;

class UnattendedInstallation : public test_support::sandbox_test {
protected:
    test_support::without_display m_noDisplay;

    static fs::path Program() { return QUILLON_BINARY_DIR "/bin/quillon-setup"; }
    fs::path Log() const { return machine.folder() / "install.log"; }
    test_support::machine_snapshot Snapshot() const { return test_support::without_named_objects(machine.snapshot()); }
    fs::path InstallFolder() const { return machine.root() / "opt/Vintrel/Quillon 7"; }

    test_support::installer_result Run(const std::string& arguments, const std::string& prefix = {}) const {
        return test_support::run_installer(Program(), arguments, machine.folder(), prefix);
    }
    test_support::installer_result Install(const std::string& arguments = {}) const {
        return Run("--unattended --log " + Log().string() + " " + arguments);
    }

    std::vector<std::string> LogLines() const { return startup_probe::ReadLines(Log()); }
    int LogLinesWith(const std::string& text) const {
        const auto lines = LogLines();
        return static_cast<int>(
            std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != l.npos; }));
    }

    void SetInstalledVersion(std::uint32_t ms, std::uint32_t ls) const {
        test_support::set_program_version(InstallFolder() / "quillon", machine.folder(), ms, ls);
    }

    // Every desktop entry the installation made, checked by the desktop's own validator.
    std::vector<fs::path> DesktopEntries() const {
        std::vector<fs::path> entries;
        for (const fs::path& top : {machine.root(), machine.home()}) {
            for (fs::recursive_directory_iterator it(top), end; it != end; ++it) {
                if (it->path().extension() == ".desktop") {
                    entries.push_back(it->path());
                }
            }
        }
        return entries;
    }
};

TEST_F(UnattendedInstallation, FirstInstallationWithoutADisplay) {
    const auto run = Install("--language de");

    ASSERT_EQ(run.exit_code, 0) << run.errors;
    // The installer's own texts, in the language asked for, one line per step and outcome.
    EXPECT_NE(run.errors.find("Installation von \u201eQuillon 7.02b\u201c."), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("\nDie Installation ist abgeschlossen.\n"), std::string::npos) << run.errors;
    EXPECT_EQ(run.errors.find('\r'), std::string::npos) << "no progress bar without a terminal";
    EXPECT_TRUE(run.output.empty()) << run.output;

    EXPECT_TRUE(fs::is_regular_file(InstallFolder() / "quillon"));
    EXPECT_TRUE(fs::is_regular_file(InstallFolder() / "Uninstall.ulog"));
    const auto key = reg::Key::open(reg::hive::local_machine, UninstallKeyPath());
    ASSERT_TRUE(key) << "no Uninstall key";
    const auto entries = DesktopEntries();
    EXPECT_GE(entries.size(), 3u) << "two in the Start menu, one on the desktop";
    for (const auto& entry : entries) {
        EXPECT_EQ(std::system(("desktop-file-validate " + test_support::single_quoted(entry.string())).c_str()), 0)
            << entry;
    }

    // The log: start-up's findings, every payload entry written with its size and CRC, each step.
    EXPECT_EQ(LogLinesWith("Language: interface de-DE, product de-DE"), 1);
    EXPECT_EQ(LogLinesWith("Installed product: none"), 1);
    EXPECT_EQ(LogLinesWith("Installation folder: " + InstallFolder().string()), 1);
    EXPECT_EQ(LogLinesWith(" bytes, CRC "), kPayloadEntries);
    EXPECT_EQ(LogLinesWith("Wrote " + (InstallFolder() / "quillon").string() + " ("), 1);
    EXPECT_EQ(LogLinesWith("Step: DirectX runtime skipped (no usable setup library"), 1);
    EXPECT_EQ(LogLinesWith("Step: registration run OK"), 1);
    EXPECT_EQ(LogLinesWith("Installation OK"), 1);
    EXPECT_EQ(LogLinesWith("ended with exit code 0"), 1);
    EXPECT_EQ(LogLinesWith("FAILED"), 0);
}

TEST_F(UnattendedInstallation, LaterInstallersRefuseANewerVersionUpdateAnOlderOneAndReinstallTheSame) {
    ASSERT_EQ(Install("--language en").exit_code, 0);

    SetInstalledVersion(0x00080000, 0);  // 8.0.0.0
    const auto before = Snapshot();
    const auto newer = Install();
    EXPECT_EQ(newer.exit_code, 6) << newer.errors;
    EXPECT_NE(newer.errors.find("A more recent Version (Quillon 7.xx) is already installed."), std::string::npos)
        << newer.errors;
    EXPECT_TRUE(test_support::same_machine(before, Snapshot()));

    SetInstalledVersion(0x00070002, 0x00020000);  // 7.2.2.0
    const auto older = Install("--folder '" + InstallFolder().string() + "'");
    EXPECT_EQ(older.exit_code, 0) << older.errors;
    EXPECT_NE(older.errors.find("Update from 'Quillon 7.xx' to 'Quillon 7.02b'."), std::string::npos) << older.errors;

    const auto same = Install();
    EXPECT_EQ(same.exit_code, 0) << same.errors;
    EXPECT_NE(same.errors.find("'Quillon 7.02b' is already installed."), std::string::npos) << same.errors;

    // An update or a reinstallation keeps the installed product's folder.
    const auto elsewhere = Install("--folder /srv/Quillon");
    EXPECT_EQ(elsewhere.exit_code, 2) << elsewhere.errors;
}

TEST_F(UnattendedInstallation, StartUpRefusalsEndWithTheirOwnCodesAndChangeNothing) {
    const fs::path ready = machine.folder() / "ready";
    const fs::path until = machine.folder() / "until";
    const auto before = Snapshot();

    {
        auto holder = startup_probe::Start(startup_probe::Program(), "hold-mutex " + ready.string());
        ASSERT_TRUE(startup_probe::WaitFor(ready, holder));
        const auto run = Install();
        startup_probe::Kill(holder);
        fs::remove(ready);
        EXPECT_EQ(run.exit_code, 3) << run.errors;
    }
    {
        auto product =
            startup_probe::Start(startup_probe::Program(), "hold-count " + ready.string() + " " + until.string());
        ASSERT_TRUE(startup_probe::WaitFor(ready, product));
        const auto run = Install("--language en");
        test_support::write_file(until, "");
        product.wait();
        fs::remove(ready);
        fs::remove(until);
        EXPECT_EQ(run.exit_code, 5) << run.errors;
        EXPECT_NE(run.errors.find("You should close 'Quillon' before continuing Installation."), std::string::npos)
            << run.errors;
    }
    {
        // An ordinary account that may still reach every file: only the rights are missing.
        const auto run = Run("--unattended --language en",
                             "setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=+dac_override,+fowner "
                             "--ambient-caps=+dac_override,+fowner");
        EXPECT_EQ(run.exit_code, 4) << run.errors;
        EXPECT_EQ(run.errors, "You should have Administrator Rights in order to proceed to Installation.\n");
    }
    fs::remove(Log());
    EXPECT_TRUE(test_support::same_machine(before, Snapshot()));
}

TEST_F(UnattendedInstallation, AFullDiskIsRolledBackAndTheLogNamesTheFile) {
    const fs::path small = machine.root() / "small";
    const test_support::private_tmpfs disk(small, "2m");
    if (!disk.mounted()) {
        GTEST_SKIP() << "no private file system here";
    }
    const auto before = Snapshot();

    const auto run = Install("--language en --folder " + (small / "Quillon").string());

    EXPECT_EQ(run.exit_code, 1) << run.errors;
    EXPECT_NE(run.errors.find("Installation failed (Error Code 1:00000070).\n"
                              "Error Code 1:00000070: No space left on device\n"
                              "The installation was rolled back"),
              std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("The diagnostic log is " + Log().string() + ".\n"), std::string::npos) << run.errors;
    EXPECT_TRUE(test_support::same_machine(before, Snapshot()));
    const auto lines = LogLines();
    const auto failure = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find("FAILED writing: " + (small / "Quillon").string() + "/") != std::string::npos;
    });
    ASSERT_NE(failure, lines.end()) << "the log does not name the file";
    EXPECT_NE(failure->find(": No space left on device (errno 28)"), std::string::npos) << *failure;
    EXPECT_EQ(LogLinesWith("Installation FAILED and rolled back"), 1);
    EXPECT_EQ(LogLinesWith("ended with exit code 1"), 1);
}

TEST_F(UnattendedInstallation, QueryAnswersInEveryRelationWithoutRightsAndWritesNothing) {
    const auto query = [&](const std::string& prefix = {}) {
        const auto before = machine.snapshot();  // named objects included: a query makes none
        const auto run = Run("--query", prefix);
        EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));
        EXPECT_EQ(run.exit_code, 0) << run.errors;
        EXPECT_EQ(run.errors, "");
        return run.output;
    };
    EXPECT_EQ(query(), "installed=no\nversion=\nfolder=\nlanguage=\nrelation=none\n");

    ASSERT_EQ(Install("--language de --no-desktop").exit_code, 0);
    const std::string installed = "installed=yes\nversion=Quillon ";
    const std::string place = "\nfolder=" + InstallFolder().string() + "\nlanguage=de\nrelation=";
    EXPECT_EQ(query(), installed + "7.02b" + place + "same\n");
    SetInstalledVersion(0x00070002, 0x00020000);  // 7.2.2.0
    EXPECT_EQ(query(), installed + "7.xx" + place + "older\n");
    SetInstalledVersion(0x00080000, 0);
    EXPECT_EQ(query(), installed + "7.xx" + place + "newer\n");
    // An ordinary account that may read every file gets the same answer.
    EXPECT_EQ(query("setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=+dac_override "
                    "--ambient-caps=+dac_override"),
              installed + "7.xx" + place + "newer\n");

    // A registry that cannot be read is no answer at all, never "not installed".
    test_support::write_file(machine.root() / "var/lib/quillon-registry/machine.db", std::string(4096, 'x'));
    const auto unreadable = Run("--query");
    EXPECT_EQ(unreadable.exit_code, 7) << unreadable.errors;
    EXPECT_EQ(unreadable.output, "");
    EXPECT_NE(unreadable.errors.find("the registry cannot be read"), std::string::npos) << unreadable.errors;
}

TEST_F(UnattendedInstallation, UsageErrorsWriteNothingAndHelpAndVersionAnswer) {
    const auto before = machine.snapshot();
    for (const char* arguments : {"--unattended --silent", "--unattended --folder relative", "--folder /opt/Q"}) {
        const auto run = Run(std::string(arguments) + " --log " + Log().string());
        EXPECT_EQ(run.exit_code, 2) << arguments;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        EXPECT_NE(run.errors.find("usage: quillon-setup"), std::string::npos) << run.errors;
        EXPECT_FALSE(fs::exists(Log())) << arguments;
    }
    // The wizard still needs a display, and says so before it opens the log; a log that cannot be
    // opened stops an unattended run before start-up.
    const auto wizard = Run("--log " + Log().string());
    EXPECT_EQ(wizard.exit_code, 1) << wizard.errors;
    EXPECT_NE(wizard.errors.find("graphical session"), std::string::npos) << wizard.errors;
    EXPECT_FALSE(fs::exists(Log()));
    const auto noLog = Run("--unattended --log " + (machine.folder() / "missing/install.log").string());
    EXPECT_EQ(noLog.exit_code, 7) << noLog.errors;
    EXPECT_NE(noLog.errors.find("cannot open the log"), std::string::npos) << noLog.errors;
    EXPECT_TRUE(test_support::same_machine(before, machine.snapshot()));

    const auto help = Run("--help");
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.output.find("--unattended"), std::string::npos);
    const auto version = Run("--version");
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_NE(version.output.find("(file version "), std::string::npos) << version.output;
}

}  // namespace
