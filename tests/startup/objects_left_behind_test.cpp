// An installer's named objects go with the last process that has them open, as kernel objects do:
// whether start-up lets it through or refuses it, nothing of it stays under R/run.
#include "platform/sync/object_namespace.hpp"
#include "startup/install_app.hpp"
#include "support/named_object_files.hpp"

#include "startup_probe.hpp"
#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace fs = boost::filesystem;

namespace {

class ObjectsLeftBehind : public test_support::sandbox_test {
protected:
    // Runs a start-up as a whole installer process does; its exit code (0 started, 3 stopped).
    std::optional<int> RunInstallerStartUp() {
        const fs::path report = machine.temp() / "report";
        fs::remove(report);
        auto installer = startup_probe::Start(startup_probe::Program(), "session " + report.string());
        EXPECT_EQ(installer.wait(std::chrono::seconds(30)), platform::sync::wait_result::object_0);
        return installer.exit_code();
    }
};

TEST_F(ObjectsLeftBehind, NeitherByAnInstallerThatStartedNorByOneThatWasRefused) {
    const fs::path lock = machine.root() / "run/lock";
    EXPECT_EQ(RunInstallerStartUp(), 0);
    EXPECT_TRUE(fs::is_empty(lock)) << "the installer mutex and the running-instance counter";

    {
        CInstallApp first;
        ASSERT_TRUE(first.m_instanceMutex.TryAcquire());
        const std::vector<std::string> ownMutex = test_support::named_object_files();
        ASSERT_EQ(ownMutex.size(), 1u);
        EXPECT_EQ(RunInstallerStartUp(), 3);  // another installer runs
        EXPECT_EQ(test_support::named_object_files(), ownMutex);
    }
    EXPECT_TRUE(fs::is_empty(lock));
}

}  // namespace
