// The whole wizard on a sandbox machine: a quick installation of the product payload this test
// program carries, through the real installation run.
#include "platform/shell/known_folders.hpp"
#include "platform/sync/wait_result.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/ui_test.hpp"
#include "support/file_content.hpp"
#include "wizard_fixture.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
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

// A command's standard output (its errors joined to it) and whether it exited with 0.
struct CommandResult {
    bool ok = false;
    std::string output;
};

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>&1").c_str(), "r"), ::pclose);
    if (!pipe) {
        return result;
    }
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe.get())) {
        result.output += buffer.data();
    }
    result.ok = ::pclose(pipe.release()) == 0;
    return result;
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// The value of a key of a desktop entry; empty when it has none.
std::string EntryValue(const fs::path& entry, const std::string& key) {
    std::istringstream lines(test_support::read_file(entry));
    for (std::string line; std::getline(lines, line);) {
        if (StartsWith(line, key + "=")) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

void PressOkOfRunningPicker() {
    auto* picker = dynamic_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_TRUE(picker);
    for (auto* button : picker->findChildren<QAbstractButton*>()) {
        if (button->text() == "OK") {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "the picker has no OK button";
    picker->reject();
}

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

// An advanced installation on a machine that has no applications folder yet, its menu folder chosen
// with Browse: the entries land in the Programs folder, each names an icon of the installed theme,
// and the desktop's own tools, pointed at the sandbox, read them.
TEST_F(InstallRun, AnAdvancedInstallationWithBrowsePutsTheEntriesWhereDesktopsLook) {
    const fs::path share = machine.root() / "usr/local/share";
    const fs::path programs = share / "applications";
    fs::remove_all(programs);  // as on a fresh machine
    CInstallDlg host;
    RunHost(host, [&] {
        click(host.GetDlgItem(ui::IDOK));
        click(host.GetPage(CInstallDlg::ModePage).GetDlgItem(1019));  // advanced
        click(host.GetDlgItem(ui::IDOK));
        click(host.GetDlgItem(ui::IDOK));
        ASSERT_EQ(host.GetCurrentPage(), CInstallDlg::ShortcutPage);
        ui_test::when_modal(PressOkOfRunningPicker);
        click(host.GetPage(CInstallDlg::ShortcutPage).GetDlgItem(1006));
        EXPECT_EQ(host.GetPage(CInstallDlg::ShortcutPage).GetDlgItemText(1007), "applications/Vintrel/Quillon 7");
        click(host.GetDlgItem(ui::IDOK));
        ASSERT_EQ(host.GetCurrentPage(), CInstallDlg::InstallPage);
        click(host.GetDlgItem(ui::IDOK));
        EXPECT_TRUE(app->m_bInstalled);
        click(host.GetDlgItem(ui::IDOK));
        click(host.GetDlgItem(ui::IDCANCEL));
    });
    ASSERT_TRUE(app->m_bInstalled);
    EXPECT_TRUE(boxes.records().empty());

    const fs::path menu = programs / "Vintrel" / "Quillon 7";
    const fs::path userShare = machine.home() / ".local/share";
    const struct {
        fs::path entry;
        fs::path theme;
    } entries[] = {
        {menu / "Quillon 7.02b.desktop", share / "icons/hicolor"},
        {menu / "Uninstall Quillon.desktop", share / "icons/hicolor"},
        {*platform::shell::desktop_folder() / "Quillon 7.02b.desktop", userShare / "icons/hicolor"},
        {programs / "vintrel-quillon7.desktop", share / "icons/hicolor"},
    };
    for (const auto& e : entries) {
        SCOPED_TRACE(e.entry.string());
        ASSERT_TRUE(fs::is_regular_file(e.entry));
        const std::string icon = EntryValue(e.entry, "Icon");
        ASSERT_FALSE(icon.empty());
        for (const char* size : {"16x16", "48x48", "256x256"}) {
            EXPECT_TRUE(fs::is_regular_file(e.theme / size / "apps" / (icon + ".png"))) << size;
        }
        EXPECT_FALSE(EntryValue(e.entry, "Categories").empty());
        const CommandResult validation = RunCommand("desktop-file-validate " + Quoted(e.entry));
        EXPECT_TRUE(validation.ok) << validation.output;
        EXPECT_EQ(validation.output, "");
    }
    EXPECT_EQ(EntryValue(entries[0].entry, "StartupWMClass"), "quillon");
    EXPECT_TRUE(fs::is_regular_file(share / "icons/hicolor/48x48/mimetypes/application-x-vintrel-quillon.png"));

    // The desktop's tools, with the sandbox as the only data folder.
    const std::string environment = "XDG_DATA_DIRS=" + Quoted(share) + " XDG_DATA_HOME=" + Quoted(userShare) +
                                    " XDG_CONFIG_HOME=" + Quoted(machine.home() / ".config") +
                                    " XDG_CONFIG_DIRS=" + Quoted(machine.root() / "etc/xdg") + " XDG_CURRENT_DESKTOP= ";
    const CommandResult handler = RunCommand(environment + "xdg-mime query default application/x-vintrel-quillon");
    EXPECT_EQ(handler.output, "vintrel-quillon7.desktop\n");

    // With an X display, the uninstall entry is started as a desktop starts it: its window asks, a
    // person answers Yes from the keyboard, everything goes, and the result is closed the same way.
    if (std::getenv("DISPLAY")) {
        const fs::path log = fs::path(app->m_strInstallFolder) / "Uninstall.ulog";
        ASSERT_TRUE(fs::exists(log));
        // The installer is done: its running count goes, as it would with its process, or the
        // uninstaller would wait for it to close.
        ASSERT_EQ(counter.held, 1);
        ASSERT_EQ(counter.handle.wait(std::chrono::milliseconds(0)), platform::sync::wait_result::object_0);
        counter.held = 0;
        const CommandResult launched =
            RunCommand(environment + "QT_QPA_PLATFORM=xcb gtk-launch 'Vintrel-Quillon 7-Uninstall Quillon' >/dev/null");
        EXPECT_TRUE(launched.ok) << launched.output;
        const std::string answer =
            "timeout 60 xdotool search --sync --name '^Uninstall Quillon 7.02b$' windowfocus --sync key space";
        const CommandResult asked = RunCommand(answer);
        EXPECT_TRUE(asked.ok) << asked.output;
        // gtk-launch does not wait for the program it starts.
        for (int i = 0; i < 600 && fs::exists(log); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_FALSE(fs::exists(log)) << "the uninstaller did not run";
        const CommandResult closed = RunCommand(answer);
        EXPECT_TRUE(closed.ok) << closed.output;
        EXPECT_FALSE(fs::exists(menu));
        EXPECT_FALSE(fs::exists(share / "icons"));
        EXPECT_FALSE(fs::exists(userShare / "icons"));
    }
}
