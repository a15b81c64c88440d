// The whole wizard on a sandbox machine: a quick installation of the product payload this test
// program carries, through the real installation run.
#include "platform/ui/framework_constants.hpp"
#include "wizard_fixture.hpp"

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <string>
#include <vector>

namespace ui = platform::ui;
namespace fs = boost::filesystem;
using wizard_test::click;
using wizard_test::Lines;

namespace {

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class InstallRun : public wizard_test::WizardTest {};

}  // namespace

TEST_F(InstallRun, AQuickInstallationThroughTheWizardInstallsTheProduct) {
    CInstallDlg host;
    std::vector<std::string> log;
    std::string mainProgram, uninstaller;
    const int result = RunHost(host, [&] {
        click(host.GetDlgItem(ui::IDOK));
        click(host.GetDlgItem(ui::IDOK));
        ASSERT_EQ(host.GetCurrentPage(), CInstallDlg::InstallPage);
        ASSERT_EQ(host.GetDlgItemText(ui::IDOK), "Install");
        click(host.GetDlgItem(ui::IDOK));

        EXPECT_TRUE(app->m_bInstalled);
        EXPECT_EQ(host.GetCurrentPage(), CInstallDlg::InstallPage);
        EXPECT_EQ(host.GetDlgItemText(ui::IDCANCEL), "Exit");
        EXPECT_EQ(host.GetPage(CInstallDlg::InstallPage).GetDlgItemText(1003), "Click on 'Next' to continue.");
        auto& page = dynamic_cast<CDlgInstall&>(host.GetPage(CInstallDlg::InstallPage));
        log = Lines(page.GetDlgItemText(1015));
        mainProgram = page.m_strMainProgramPath;
        uninstaller = page.m_strUninstallerPath;

        click(host.GetDlgItem(ui::IDOK));
        EXPECT_EQ(host.GetCurrentPage(), CInstallDlg::EndPage);
        EXPECT_EQ(host.GetPage(CInstallDlg::EndPage).GetDlgItemText(1016), "Installation is complete.");
        click(host.GetDlgItem(ui::IDCANCEL));
    });
    EXPECT_EQ(result, ui::IDOK);
    EXPECT_TRUE(boxes.records().empty());

    // The summary, the run's separator, then one line per step, each ending in its outcome.
    ASSERT_GT(log.size(), 6u);
    EXPECT_EQ(log[0], "'Quillon 7.02b' Installation.");
    std::size_t run = 1;
    while (run < log.size() && log[run].find_first_not_of('-') != std::string::npos) {
        ++run;
    }
    ASSERT_LT(run, log.size()) << "no separator before the run";
    int copied = 0;
    for (std::size_t i = run + 1; i < log.size(); ++i) {
        EXPECT_TRUE(EndsWith(log[i], "OK")) << log[i];
        copied += StartsWith(log[i], "Copying File") ? 1 : 0;
    }
    EXPECT_GT(copied, 0);
    for (const std::string step :
         {"Shortcuts Creation...OK", "Registry Data Writing...OK", "Installation Data Writing...OK"}) {
        EXPECT_NE(std::find(log.begin(), log.end(), step), log.end()) << step;
    }

    const fs::path installFolder = machine.root() / "opt/Vintrel/Quillon 7";
    EXPECT_EQ(fs::path(mainProgram).parent_path(), installFolder);
    EXPECT_TRUE(fs::is_regular_file(mainProgram));
    EXPECT_TRUE(fs::is_regular_file(fs::path(uninstaller).parent_path() / "Uninstall.ulog"));
}
