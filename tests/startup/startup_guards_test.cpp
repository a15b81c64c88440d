#include "platform/kernel/system_messages.hpp"
#include "platform/resources/resource_module.hpp"
#include "platform/resources/string_table.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/message_box.hpp"
#include "platform/version/version_block.hpp"
#include "startup/application_id.hpp"
#include "startup/install_app.hpp"
#include "startup/instance_counter.hpp"
#include "startup/instance_mutex.hpp"
#include "startup/named_object_security.hpp"
#include "startup/process_guards.hpp"
#include "startup/startup_error.hpp"

#include "startup_probe.hpp"
#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <thread>

namespace ui = platform::ui;
namespace ver = platform::version;
namespace fs = boost::filesystem;

namespace {

VersionInfo VersionWith(std::vector<std::pair<std::string, std::string>> strings) {
    ver::version_resource r;
    r.fixed.emplace();
    r.string_tables = {{"040904b0", std::move(strings)}};
    r.translations = {{0x0409, 1200}};
    return VersionInfo::FromBlock(ver::build_version_block(r));
}

}  // namespace

TEST(ApplicationId, FallsBackFromTheIdToTheProductNameToTheFileName) {
    const fs::path program = "/opt/Vintrel/Quillon 7/quillon.bin";
    EXPECT_EQ(ApplicationIdOf(VersionWith({{"ApplicationId", "Q7"}, {"ProductName", "Quillon"}}), program), "Q7");
    EXPECT_EQ(ApplicationIdOf(VersionWith({{"ApplicationId", ""}, {"ProductName", "Quillon"}}), program), "Quillon");
    EXPECT_EQ(ApplicationIdOf(VersionWith({{"FileVersion", "7"}}), program), "quillon");
    EXPECT_EQ(ApplicationIdOf(VersionInfo::FromBlock({}), program), "quillon");
    // This program carries the installer's version resource.
    EXPECT_EQ(GetApplicationId(), "Quillon7");
}

TEST(ProcessGuards, ProcessorErrorModeAndLibraryVersion) {
    CheckProcessor();  // every machine this builds on has SSE2, or the process would have ended
    EXPECT_TRUE(ProcessorCheckPassed());
    SetUpErrorModeAndLocale();
    EXPECT_EQ(GetProcessErrorMode() & 0x8001u, 0x8001u);

    const struct {
        const char* text;
        std::uint32_t version;
    } cases[] = {{"6.4.2", 0x60004}, {"6.0", 0x60000}, {"5.15.8", 0x5000F}, {"12.1", 0xC0001},
                 {"6", 0},           {"", 0},          {"x.1", 0},          {nullptr, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(UiLibraryVersion(c.text), c.version) << (c.text ? c.text : "null");
    }
    EXPECT_GE(UiLibraryVersion(qVersion()), 0x60000u);
}

TEST(StartupError, TextRules) {
    const std::string fail = *platform::kernel::system_message_text(0x80004005);
    const auto own = platform::resources::load_string(platform::resources::resource_module::self(), 1126);
    ASSERT_TRUE(own && !own->empty());
    const struct {
        std::uint32_t code;
        std::string text;
    } cases[] = {
        {0x8000FFFF, "Catastrophic failure"},
        {170, "The requested resource is in use."},
        {0x80070005, "Access is denied."},
        {0x20000000 | 170, fail},                // customer bit alone
        {0x28000000 | 1126, std::string(*own)},  // the program's own text by number
        {0x28000000 | 999, fail},                // no such text
        {0x0ABCDEF1, fail},                      // unknown to the system
    };
    for (const auto& c : cases) {
        const std::string text = StartupErrorText(c.code);
        EXPECT_EQ(text, c.text) << std::hex << c.code;
        EXPECT_TRUE(text.find_first_of("\r\n") == std::string::npos || c.text.find('\n') != std::string::npos);
    }
}

TEST(StartupError, ShownAsAWarningCaptionedWithTheApplicationName) {
    test_support::sandbox_machine machine;
    CInstallApp app;
    app.SetAppName("Named");
    ui::message_box_script script;
    ReportStartupError(170);
    ASSERT_EQ(script.records().size(), 1u);
    EXPECT_EQ(script.records()[0].text, "The requested resource is in use.");
    EXPECT_EQ(script.records()[0].caption, "Named");
    EXPECT_EQ(script.records()[0].type, ui::MB_ICONWARNING | ui::MB_OK);
}

class NamedObjects : public test_support::sandbox_test {
protected:
    fs::path File(const char* name) const { return machine.temp() / name; }
};

TEST_F(NamedObjects, ASecondInstallerStopsWithErrorBusy) {
    CheckProcessor();
    CInstallApp first;
    ASSERT_TRUE(first.m_instanceMutex.TryAcquire());

    auto second = startup_probe::Start(startup_probe::Program(), "session " + File("report").string());
    ASSERT_EQ(second.wait(std::chrono::seconds(30)), platform::sync::wait_result::object_0);
    EXPECT_EQ(second.exit_code(), 3);
    const auto lines = startup_probe::ReadLines(File("report"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "stopped");
    EXPECT_EQ(lines[3], "startup-probe");  // still the framework's default name
    EXPECT_EQ(lines[4], std::to_string(ui::MB_ICONWARNING));
    EXPECT_EQ(lines[5], "The requested resource is in use.");
    EXPECT_TRUE(first.m_instanceMutex.owned);

    // Once the first lets go, a new installer gets through the check.
    first.m_instanceMutex.Release();
    fs::remove(File("report"));
    auto third = startup_probe::Start(startup_probe::Program(), "session " + File("report").string());
    ASSERT_EQ(third.wait(std::chrono::seconds(30)), platform::sync::wait_result::object_0);
    EXPECT_EQ(startup_probe::ReadLines(File("report")).at(0), "started");
}

TEST_F(NamedObjects, WithoutAPassedProcessorCheckStartUpStopsFirst) {
    auto installer = startup_probe::Start(startup_probe::Program(), "unchecked-session " + File("report").string());
    ASSERT_EQ(installer.wait(std::chrono::seconds(30)), platform::sync::wait_result::object_0);
    EXPECT_EQ(installer.exit_code(), 3);
    const auto lines = startup_probe::ReadLines(File("report"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[5], "Catastrophic failure");
}

TEST_F(NamedObjects, AMutexLeftByAKilledInstallerIsAcquired) {
    InstanceMutex mine(InstallerMutexName(GetApplicationId()), false, true);
    auto holder = startup_probe::Start(startup_probe::Program(), "hold-mutex " + File("ready").string());
    ASSERT_TRUE(startup_probe::WaitFor(File("ready"), holder));
    EXPECT_FALSE(mine.TryAcquire());
    EXPECT_FALSE(mine.owned);

    startup_probe::Kill(holder);
    EXPECT_TRUE(mine.TryAcquire());
    EXPECT_TRUE(mine.TryAcquire());  // once owned, it stays owned without nesting
    mine.Release();
    EXPECT_FALSE(mine.owned);

    // Released once, it is free for another thread (ownership does not nest here).
    bool otherThreadGotIt = false;
    std::thread([&] {
        InstanceMutex other(InstallerMutexName(GetApplicationId()), false, true);
        otherThreadGotIt = other.TryAcquire();
    }).join();
    EXPECT_TRUE(otherThreadGotIt);
}

TEST_F(NamedObjects, RunningInstancesCountEveryLivingProcess) {
    InstanceCounter counter(GetApplicationId());
    ASSERT_TRUE(counter.handle);
    EXPECT_EQ(counter.held, 1);
    EXPECT_EQ(CountRunningInstances(counter), 1);

    auto product = startup_probe::Start(startup_probe::Program(),
                                        "hold-count " + File("ready").string() + " " + File("until").string());
    ASSERT_TRUE(startup_probe::WaitFor(File("ready"), product));
    EXPECT_EQ(CountRunningInstances(counter), 2);
    EXPECT_EQ(CountRunningInstances(counter), 2);  // asking leaves the count as it was
    std::ofstream(File("until").string()) << "end";
    ASSERT_EQ(product.wait(std::chrono::seconds(30)), platform::sync::wait_result::object_0);
    EXPECT_EQ(product.exit_code(), 0);
    EXPECT_EQ(CountRunningInstances(counter), 1);

    fs::remove(File("ready"));
    fs::remove(File("until"));
    auto killed = startup_probe::Start(startup_probe::Program(),
                                       "hold-count " + File("ready").string() + " " + File("until").string());
    ASSERT_TRUE(startup_probe::WaitFor(File("ready"), killed));
    EXPECT_EQ(CountRunningInstances(counter), 2);
    startup_probe::Kill(killed);
    EXPECT_EQ(CountRunningInstances(counter), 1);
}

TEST(NamedObjectSecurity, TheDescriptorsGrantToEveryoneIsTheObjectsAccess) {
    for (const std::uint32_t access : {0x1F0001u, 0x1F0003u, 0x00100000u}) {
        EXPECT_EQ(MakeEveryoneObjectSecurity(access).everyone_access, access);
    }
}

TEST_F(NamedObjects, ACounterGivesBackItsCountWhenItGoes) {
    InstanceCounter mine(GetApplicationId());
    {
        InstanceCounter another(GetApplicationId());
        EXPECT_EQ(CountRunningInstances(mine), 2);
    }
    EXPECT_EQ(CountRunningInstances(mine), 1);
}
