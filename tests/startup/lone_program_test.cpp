// The installer copied alone, under another file name, into an empty folder outside the build tree:
// everything it needs besides the system's own libraries must come from inside its file.
#include "startup/instance_mutex.hpp"

#include "startup_probe.hpp"
#include "support/file_content.hpp"
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
    const fs::path folder = machine.temp() / "lone";
    fs::create_directories(folder);
    const fs::path program = folder / "another-name";
    // The packaging script runs this test once on the shipped file.
    const char* shipped = std::getenv("QUILLON_SETUP_UNDER_TEST");
    fs::copy_file(shipped && *shipped ? shipped : QUILLON_BINARY_DIR "/bin/quillon-setup", program);

    auto installer = startup_probe::Start(program.string(), "");
    // The installer's mutex is taken only once the security library is bound and start-up has passed;
    // a lone copy that cannot bind it stops at a message box first.
    const bool started = WaitForInstallerMutex(machine.root() / "run/lock/quillon-objects", installer);
    const std::string maps = test_support::read_file("/proc/" + std::to_string(installer.id()) + "/maps");
    startup_probe::Kill(installer);

    ASSERT_TRUE(started) << "the lone copy did not get past start-up";
    EXPECT_NE(maps.find("/memfd:advapi32.dll"), std::string::npos) << "not served from memory";
    std::vector<fs::path> beside;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        beside.push_back(entry.path());
    }
    EXPECT_EQ(beside, std::vector<fs::path>{program}) << "nothing is put beside the program";
}

}  // namespace
