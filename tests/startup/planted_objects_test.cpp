// What a local user plants where the installer's named objects live never stops root's installer:
// a FIFO at the mutex's name in a folder the user made first, a link at the counter's name.
#include "platform/sync/object_namespace.hpp"
#include "startup/application_id.hpp"
#include "startup/instance_counter.hpp"
#include "startup/instance_mutex.hpp"

#include "startup_probe.hpp"
#include "support/file_content.hpp"
#include "support/planted_traps.hpp"
#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

namespace fs = boost::filesystem;

namespace {

class PlantedInstallerObjects : public test_support::sandbox_test {};

TEST_F(PlantedInstallerObjects, NeverStopTheInstaller) {
    std::string why;
    const auto account = test_support::EnsureSecondAccount(why);
    ASSERT_TRUE(account) << why;
    test_support::OpenLikeTheSystem(machine.folder(), machine.root());
    const fs::path decoy = machine.root() / "precious";
    ASSERT_TRUE(test_support::write_file(decoy, "root's"));
    const auto& traps = test_support::PlantedTraps();
    const auto trap = [&](const char* what) {
        return *std::find_if(traps.begin(), traps.end(), [&](const auto& t) { return std::string(t.what) == what; });
    };
    const fs::path folder = platform::sync::objects_folder();
    const std::string mutexFile = platform::sync::object_file_name("Global\\" + InstallerMutexName(GetApplicationId()));
    const std::string counterFile =
        platform::sync::object_file_name("Global\\" + GetApplicationId() + std::string(kInstanceCounterSuffix));
    ASSERT_EQ(test_support::Plant(*account, trap("objects folder made first, FIFO inside"), folder, mutexFile, decoy,
                                  machine.root()),
              0);
    ASSERT_EQ(test_support::Plant(*account, trap("link to a root file at the name"), folder, counterFile, decoy,
                                  machine.root()),
              0);

    const fs::path report = machine.temp() / "report";
    auto installer = startup_probe::Start(startup_probe::Program(), "session " + report.string());
    EXPECT_EQ(installer.wait(std::chrono::seconds(30)), platform::sync::wait_result::object_0);
    EXPECT_EQ(installer.exit_code(), 0);
    const auto lines = startup_probe::ReadLines(report);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "started") << ::testing::PrintToString(lines);
    EXPECT_EQ(test_support::read_file(decoy), "root's");
}

}  // namespace
