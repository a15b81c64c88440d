// The installer copied alone, under another file name, into an empty folder outside the build tree:
// everything it needs besides the system's own libraries must come from inside its file.
#include "startup/instance_mutex.hpp"

#include "startup_probe.hpp"
#include "support/file_content.hpp"
#include "support/installer_process.hpp"
#include "support/machine_snapshot.hpp"
#include "support/sandbox_machine.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <chrono>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = boost::filesystem;

namespace {

class LoneProgram : public test_support::sandbox_test {
protected:
    test_support::scoped_env m_platform{"QT_QPA_PLATFORM", "offscreen"};
    test_support::scoped_env m_language{"LC_ALL", "fr_FR.UTF-8"};  // generated here or not
    test_support::scoped_env m_lang{"LANG", "fr_FR.UTF-8"};

    // A copy of the installer, under another name, alone in an empty folder. The packaging script
    // runs these tests once on the shipped file.
    fs::path CopyProgram() const {
        const fs::path folder = machine.temp() / "lone";
        fs::create_directories(folder);
        const fs::path program = folder / "another-name";
        const char* shipped = std::getenv("QUILLON_SETUP_UNDER_TEST");
        fs::copy_file(shipped && *shipped ? shipped : QUILLON_BINARY_DIR "/bin/quillon-setup", program);
        return program;
    }
    fs::path Log() const { return machine.folder() / "install.log"; }
    fs::path InstallFolder() const { return machine.root() / "opt/Vintrel/Quillon 7"; }

    // An unattended installation by the lone copy, on a machine without a display.
    test_support::installer_result InstallUnattended(const fs::path& program) const {
        const test_support::without_display noDisplay;
        return test_support::run_installer(program, "--unattended --log " + Log().string(), machine.folder());
    }

    static std::vector<fs::path> FilesIn(const fs::path& folder) {
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            files.push_back(entry.path());
        }
        return files;
    }
};

// Waits until an installer mutex exists among the named objects (or the installer has ended).
bool WaitForInstallerMutex(const fs::path& objects, platform::process::process_handle& installer) {
    const auto taken = [&objects] {
        boost::system::error_code error;
        for (fs::directory_iterator it(objects, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.size() > kInstallerMutexSuffix.size() && name.ends_with(kInstallerMutexSuffix)) {
                return true;
            }
        }
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!taken()) {
        if (installer.wait(std::chrono::milliseconds(0)) == platform::sync::wait_result::object_0 ||
            std::chrono::steady_clock::now() > deadline) {
            return taken();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST_F(LoneProgram, GetsPastStartUpWithTheSecurityLibraryFromItsOwnFile) {
    const fs::path program = CopyProgram();

    auto installer = startup_probe::Start(program.string(), "");
    // The installer's mutex is taken only once the security library is bound and start-up has passed;
    // a lone copy that cannot bind it stops at a message box first.
    const bool started = WaitForInstallerMutex(machine.root() / "run/lock/quillon-objects", installer);
    const std::string maps = test_support::read_file("/proc/" + std::to_string(installer.id()) + "/maps");
    startup_probe::Kill(installer);

    ASSERT_TRUE(started) << "the lone copy did not get past start-up";
    EXPECT_NE(maps.find("/memfd:advapi32.dll"), std::string::npos) << "not served from memory";
    EXPECT_EQ(FilesIn(program.parent_path()), std::vector<fs::path>{program}) << "nothing is put beside the program";
}

TEST_F(LoneProgram, InstallsUnattendedInTheEnvironmentsLanguage) {
    const fs::path program = CopyProgram();

    const auto run = InstallUnattended(program);

    ASSERT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_NE(run.errors.find("Installation de \u00ab\u00a0Quillon 7.02b\u00a0\u00bb."), std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("\nL'installation est termin\u00e9e.\n"), std::string::npos) << run.errors;
    EXPECT_TRUE(fs::is_regular_file(InstallFolder() / "quillon"));
    EXPECT_TRUE(fs::is_regular_file(InstallFolder() / "Uninstall.ulog"));
    const std::string log = test_support::read_file(Log());
    EXPECT_NE(log.find("Language: interface fr-FR, product fr-FR"), std::string::npos) << log;
    EXPECT_NE(log.find("Installation OK"), std::string::npos) << log;
    EXPECT_EQ(FilesIn(program.parent_path()), std::vector<fs::path>{program}) << "nothing is put beside the program";
}

TEST_F(LoneProgram, RollsBackAnUnattendedInstallationThatCannotWriteAFile) {
    const fs::path program = CopyProgram();
    // A folder where the main program is to be written: the extraction cannot open it as a file.
    fs::create_directories(InstallFolder() / "quillon");
    const auto before = test_support::without_named_objects(machine.snapshot());

    const auto run = InstallUnattended(program);

    EXPECT_EQ(run.exit_code, 1) << run.errors;
    EXPECT_NE(run.errors.find("\u00c9chec de l'installation (code d'erreur "), std::string::npos) << run.errors;
    EXPECT_TRUE(test_support::same_machine(before, test_support::without_named_objects(machine.snapshot())));
    const std::string log = test_support::read_file(Log());
    EXPECT_NE(log.find("FAILED extracting: " + (InstallFolder() / "quillon").string() + ": "), std::string::npos)
        << log;
    EXPECT_NE(log.find("Installation FAILED and rolled back"), std::string::npos) << log;
}

}  // namespace
