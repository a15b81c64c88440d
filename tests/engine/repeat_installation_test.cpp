#include "identity/product_identity.hpp"
#include "installation_fixture.hpp"
#include "startup/installed_product.hpp"
#include "startup/previous_installation.hpp"

#include <gtest/gtest.h>

#include <map>

namespace fs = boost::filesystem;
namespace reg = platform::registry;

namespace {

class RepeatInstallation : public InstallationTest {
protected:
    std::map<EntryKind, int> LoggedKinds() const {
        UninstallLog log;
        const fs::path file = InstalledLog();
        log.Read(&file);
        std::map<EntryKind, int> kinds;
        for (const auto& entry : log.previousEntries) {
            ++kinds[entry.kind];
        }
        return kinds;
    }
    bool LogMentions(const std::string& text) const { return page.log.find(text) != std::string::npos; }
};

TEST_F(RepeatInstallation, AReinstallationKeepsTheUsersDataAndRunsTheRuntimeSetupAgain) {
    ASSERT_TRUE(Install());
    const fs::path settings = UserData() / "Vintrel/Quillon 7/Settings.qcfg";
    WriteFile(settings, "the user's settings");
    const std::string uninstallKey = std::string(kUninstallKeyParent) + "\\Quillon 7";
    ASSERT_FALSE(reg::Key::open(reg::hive::local_machine, uninstallKey)->set_string("Comments", "someone else's"));
    ASSERT_FALSE(reg::Key::open(reg::hive::local_machine, uninstallKey)->set_string("DisplayName", "old name"));

    // Start-up finds this installation through the installed-program value, as the same version.
    ASSERT_TRUE(StartNextSession());
    EXPECT_EQ(app->FindInstalledProduct(), (InstallFolder() / "quillon").string());
    EXPECT_EQ(app->m_nPreviousInstall, PreviousSame);
    EXPECT_EQ(app->m_strInstallFolder, InstallFolder().string());

    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadFile(settings), "the user's settings");
    EXPECT_FALSE(LogMentions("Settings.qcfg"));
    EXPECT_TRUE(LogMentions(DirectXText() + "OK"));
    EXPECT_EQ(CopyingLines(), kPayloadEntries - 22);  // every shared data file was there already
    auto key = reg::Key::open(reg::hive::local_machine, uninstallKey);
    EXPECT_EQ(*key->query_string("Comments"), "someone else's");
    EXPECT_EQ(*key->query_string("DisplayName"), "Quillon 7.02b");

    // One entry per file and per step in the merged log, and no backup left behind.
    const auto kinds = LoggedKinds();
    EXPECT_EQ(kinds.at(UninstallLogEntry::File), kPayloadEntries - 6 + kShortcutIconFiles);
    for (std::uint32_t kind = KindNumber(UninstallLogEntry::StartMenuShortcut);
         kind <= KindNumber(UninstallLogEntry::lastKind); ++kind) {
        EXPECT_EQ(kinds.at(static_cast<EntryKind>(kind)), 1) << kind;
    }
    EXPECT_TRUE(fs::is_empty(machine.temp()));
    for (const auto& shortcut : {MenuFolder() / "Quillon 7.02b.desktop", MenuFolder() / "Uninstall Quillon.desktop",
                                 Desktop() / "Quillon 7.02b.desktop"}) {
        EXPECT_TRUE(fs::is_regular_file(shortcut)) << shortcut;
    }
}

TEST_F(RepeatInstallation, AnUpdateUsesThePreviousFoldersAndLeavesTheSamplesAlone) {
    app->m_strInstallFolder = (machine.root() / "srv/Quillon Old").string();
    app->m_strStartMenuFolder = (machine.root() / "usr/local/share/applications/Quillon Old").string();
    ASSERT_TRUE(Install());
    const fs::path samples = Desktop() / "Quillon Examples";
    fs::remove_all(samples / "Textures");
    WriteFile(samples / "Sample01.qln", "the user's drawing");

    SetInstalledVersion(0x00070002, 0x00010005);
    ASSERT_TRUE(StartNextSession());
    EXPECT_EQ(app->m_nPreviousInstall, PreviousOlder);
    EXPECT_EQ(app->m_nPreviousVersion, PackVersion(7, 2, 1, 5));
    EXPECT_EQ(app->m_strInstallFolder, (machine.root() / "srv/Quillon Old").string());
    ASSERT_TRUE(Install());

    EXPECT_TRUE(fs::is_regular_file(machine.root() / "srv/Quillon Old/Lang/Quillon.en.lang"));
    EXPECT_TRUE(fs::is_regular_file(machine.root() / "usr/local/share/applications/Quillon Old/Quillon 7.02b.desktop"));
    EXPECT_EQ(ReadFile(samples / "Sample01.qln"), "the user's drawing");
    EXPECT_FALSE(fs::exists(samples / "Textures"));
    EXPECT_FALSE(LogMentions("Quillon Examples"));
    // The runtime was set up by the installation updated; the program learnt which version it replaced.
    EXPECT_FALSE(LogMentions("DirectX"));
    const auto previous =
        reg::get_value(reg::hive::local_machine, "Software\\Classes\\Vintrel.Quillon7", "PreviousVersion");
    ASSERT_TRUE(previous);
    EXPECT_EQ(reg::as_string(*previous), "7.2.1.5");
    EXPECT_NE(page.log.find("Registry Data Writing...OK"), std::string::npos);
    EXPECT_NE(InstalledLogText().find("\r\n// Install Quillon 7.02b -- Update (Quillon 7.02b)\r\n"), std::string::npos);
    EXPECT_EQ(LoggedKinds().at(UninstallLogEntry::File), kPayloadEntries - 6 + kShortcutIconFiles);
}

TEST_F(RepeatInstallation, ANewerInstalledVersionIsFoundThroughWhatTheInstallationWrote) {
    ASSERT_TRUE(Install());
    SetInstalledVersion(0x00070003, 0x00000000);
    ASSERT_TRUE(StartNextSession());
    EXPECT_EQ(app->FindInstalledProduct(), (InstallFolder() / "quillon").string());
    EXPECT_EQ(app->m_nPreviousInstall, PreviousNewer);
}

}  // namespace
