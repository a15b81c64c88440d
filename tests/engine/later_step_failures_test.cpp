#include "installation_fixture.hpp"

#include <gtest/gtest.h>

namespace fs = boost::filesystem;

namespace {

class LaterStepFailures : public InstallationTest {};

// A shortcut, the runtime setup and the registration that fail are reported on their lines; the
// product is installed all the same, and the log tells the uninstaller what was not done.
TEST_F(LaterStepFailures, AreReportedWithoutFailingTheInstallation) {
    fs::create_directories(Desktop() / "Quillon 7.02b.desktop");  // a folder in the shortcut's place
    WriteFile(machine.root() / "usr/lib/directx", "a file where the runtime goes");
    WriteFile(machine.root() / "usr/local/share/mime/packages", "a file where the document type goes");

    ASSERT_TRUE(Install());

    EXPECT_EQ(StepLines(), (std::vector<std::string>{"Preparing Installation...OK", "Shortcuts Creation...Failed",
                                                     DirectXText() + "Failed", "Registry Data Writing...Failed",
                                                     "Installation Data Writing...OK"}));
    EXPECT_EQ(page.Status(), "Click on 'Next' to continue.");
    // The shortcuts after the failing one were still made.
    EXPECT_TRUE(fs::is_regular_file(MenuFolder() / "Quillon 7.02b.desktop"));
    EXPECT_TRUE(fs::is_regular_file(MenuFolder() / "Uninstall Quillon.desktop"));
    EXPECT_TRUE(fs::is_directory(Desktop() / "Quillon 7.02b.desktop"));

    const std::string log = InstalledLogText();
    EXPECT_NE(log.find(":04ff:0 -- \r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(":07ff:0 -- " + DirectXText() + "\r\n"), std::string::npos);
    EXPECT_NE(log.find(":06ff:0 -- HKEY_CLASSES_ROOT\\...\r\n"), std::string::npos);
    EXPECT_NE(log.find(":05ff:1 -- "), std::string::npos);
    EXPECT_TRUE(fs::is_empty(machine.temp()));
}

TEST_F(LaterStepFailures, WithoutShortcutsThereIsNoShortcutStep) {
    app->m_bStartMenuShortcut = false;
    app->m_bDesktopShortcut = false;
    ASSERT_TRUE(Install());
    EXPECT_EQ(StepLines(), (std::vector<std::string>{"Preparing Installation...OK", DirectXText() + "OK",
                                                     "Registry Data Writing...OK", "Installation Data Writing...OK"}));
    EXPECT_FALSE(fs::exists(MenuFolder().parent_path()));
    EXPECT_FALSE(fs::exists(Desktop() / "Quillon 7.02b.desktop"));
}

}  // namespace
