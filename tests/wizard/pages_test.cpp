#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/progress_control.hpp"
#include "platform/ui/ui_test.hpp"
#include "startup/language_catalogue.hpp"
#include "wizard/about_dlg.hpp"
#include "wizard/dlg_install.hpp"
#include "wizard/dlg_path.hpp"
#include "wizard/dlg_shortcut.hpp"
#include "wizard/dlg_start.hpp"
#include "wizard_fixture.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTreeWidget>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <string>
#include <vector>

namespace ui = platform::ui;
namespace fs = boost::filesystem;
using wizard_test::click;
using wizard_test::enabled;
using wizard_test::Lines;

namespace {

class Pages : public wizard_test::WizardTest {
protected:
    ui_test::parent_window parent;
};

class InstallPage : public Pages {
protected:
    void SetUp() override {
        ASSERT_TRUE(page.Create(&parent));
        page.ShowWindow(ui::SW_SHOW);
        log = page.GetDlgItem<ui::CEdit>(1015);
        ASSERT_TRUE(log);
    }
    // The last line of the log, without its line end.
    std::string LastLine() const { return Lines(log->GetWindowText()).back(); }
    int Width(const std::string& text) const { return log->GetTextExtent(text).cx; }

    CDlgInstall page;
    ui::CEdit* log = nullptr;
};

}  // namespace

TEST_F(InstallPage, DashLinesSpanTheLogBetweenItsMargins) {
    int previousCount = 1 << 30;
    for (const auto& margins : {ui::CEdit::Margins{0, 0}, ui::CEdit::Margins{9, 14}}) {
        SCOPED_TRACE(::testing::Message() << "margins " << margins.nLeft << ", " << margins.nRight);
        log->SetMargins(margins.nLeft, margins.nRight);
        const int room = log->GetClientRect().Width() - margins.nLeft - margins.nRight - 2;

        page.AppendLogLine("", true);
        const std::string full = LastLine();
        ASSERT_FALSE(full.empty());
        EXPECT_EQ(full, std::string(full.size(), '-'));
        // Counted in whole widths of one dash.
        const int dash = Width("-");
        EXPECT_LE(static_cast<int>(full.size()) * dash, room);
        EXPECT_GT(static_cast<int>(full.size() + 1) * dash, room);
        EXPECT_LT(static_cast<int>(full.size()), previousCount) << "the margins take room";
        previousCount = static_cast<int>(full.size());

        // A heading sits between two runs of dashes; an odd count leaves the right run one longer.
        bool seen[2] = {false, false};
        for (const std::string heading : {"A", "Ab", "Abc", "Abcd", "Abcde", "Abcdef"}) {
            page.AppendLogLine(heading, true);
            const std::string line = LastLine();
            const std::string middle = " " + heading + " ";
            const std::size_t at = line.find(middle);
            ASSERT_NE(at, std::string::npos) << line;
            const std::size_t left = at, right = line.size() - at - middle.size();
            EXPECT_EQ(line.substr(0, left) + line.substr(at + middle.size()), std::string(left + right, '-'));
            const std::size_t count = left + right;
            EXPECT_EQ(left, count / 2) << line;
            EXPECT_EQ(right, (count + 1) / 2) << line;
            EXPECT_LE(Width(middle) + static_cast<int>(count) * dash, room) << line;
            EXPECT_GT(Width(middle) + static_cast<int>(count + 1) * dash, room) << line;
            seen[count % 2] = true;
        }
        EXPECT_TRUE(seen[0] && seen[1]) << "both an even and an odd count of dashes";
    }

    const std::string wide(300, 'W');
    page.AppendLogLine(wide, true);
    EXPECT_EQ(LastLine(), " " + wide + " ");
}

TEST_F(InstallPage, OtherTextGoesInAsItIsAndTheLogFollowsItsEnd) {
    log->SetWindowText("");
    for (int i = 0; i < 30; ++i) {
        page.AppendLogLine("Copying File  data" + std::to_string(i) + ".bin...", false);
        page.AppendLogLine("OK\r\n", false);
    }
    page.AppendLogLine("Shortcuts Creation...", false);
    page.AppendLogLine("Failed", false);
    const auto lines = Lines(log->GetWindowText());
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[29], "Copying File  data29.bin...OK");
    EXPECT_EQ(lines[30], "Shortcuts Creation...Failed");
    EXPECT_GT(log->GetFirstVisibleLine(), 20) << "the last lines are in view";
}

TEST_F(InstallPage, SummaryListsTheOptionsQuotingFoldersWithBlanks) {
    const struct {
        std::string installFolder, menuFolder;
        bool menu, desktop;
        std::vector<std::string> options;
    } cases[] = {
        {"/opt/Vintrel/Quillon 7",
         "/usr/share/applications/Vintrel/Quillon 7",
         true,
         true,
         {"Installation Folder: \"/opt/Vintrel/Quillon 7\".",
          "Creating a Shortcut in the Start Menu (Folder \"/usr/share/applications/Vintrel/Quillon 7\").",
          "Creating a Shortcut on the Desktop."}},
        {"/opt/quillon",
         "/usr/share/applications/quillon",
         true,
         false,
         {"Installation Folder: /opt/quillon.",
          "Creating a Shortcut in the Start Menu (Folder /usr/share/applications/quillon)."}},
        {"/opt/quillon", "/unused", false, false, {"Installation Folder: /opt/quillon."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.installFolder);
        app->m_strInstallFolder = c.installFolder;
        app->m_strStartMenuFolder = c.menuFolder;
        app->m_bStartMenuShortcut = c.menu;
        app->m_bDesktopShortcut = c.desktop;
        // Entering the page again rebuilds the summary instead of adding to it.
        page.AppendLogLine("left from before\r\n", false);
        page.UpdateData(false);
        const std::string summary = log->GetWindowText();
        page.UpdateData(false);
        EXPECT_EQ(log->GetWindowText(), summary);

        const auto lines = Lines(summary);
        ASSERT_EQ(lines.size(), 2 + c.options.size()) << summary;
        EXPECT_EQ(lines[0], "'Quillon 7.02b' Installation.");
        EXPECT_NE(lines[1].find("- Installation Options -"), std::string::npos) << lines[1];
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()), c.options);
        EXPECT_EQ(summary.substr(summary.size() - 2), "\r\n");
        EXPECT_EQ(log->GetFirstVisibleLine(), 0);
    }

    // After the installation the page keeps the run's report.
    app->m_bInstalled = true;
    page.AppendLogLine("Installation Data Writing...OK\r\n", false);
    const std::string report = log->GetWindowText();
    page.UpdateData(false);
    EXPECT_EQ(log->GetWindowText(), report);
}

TEST_F(InstallPage, ReportsStatusAndProgressForTheRun) {
    page.RefreshTexts();
    auto* progress = page.GetDlgItem(1014);
    EXPECT_FALSE(progress->IsWindowVisible()) << "hidden until a run shows it";
    EXPECT_EQ(page.GetDlgItemText(1003), "Click on 'Install' to start Installation.");
    page.SetProgress(40);
    page.ShowProgress();
    EXPECT_TRUE(progress->IsWindowVisible());
    EXPECT_EQ(page.GetDlgItem<ui::CProgressCtrl>(1014)->GetPos(), 40);
    const std::string path = "/opt/Vintrel/Quillon 7/" + std::string(200, 'd') + "/data.bin";
    page.SetStatusPath(path);
    const std::string shown = page.GetDlgItemText(1003);
    EXPECT_NE(shown, path);
    EXPECT_NE(shown.find("..."), std::string::npos) << shown;
    page.SetStatusText(path);
    EXPECT_EQ(page.GetDlgItemText(1003), path);
    EXPECT_EQ(page.GetProgressWindow(), &page);
}

TEST_F(Pages, ShortcutPageShowsTheMenuFolderRelativeToTheStartMenu) {
    const std::string startMenu = (machine.root() / "usr/local/share").string();
    const struct {
        std::string folder;
        const char* shown;  // null: not checked
    } cases[] = {
        {startMenu + "/applications/Vintrel/Quillon 7", "applications/Vintrel/Quillon 7"},
        {startMenu, ""},
        {startMenu + "/Quillon 7", "Quillon 7"},
        {"/elsewhere/menu", nullptr},  // outside the Start menu: still given back unchanged
    };
    CDlgShortcut page;
    ASSERT_TRUE(page.Create(&parent));
    auto* folder = page.GetDlgItem<ui::CEdit>(1007);
    EXPECT_TRUE(folder->IsReadOnly());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        app->m_strStartMenuFolder = c.folder;
        page.UpdateData(false);
        if (c.shown) {
            EXPECT_EQ(folder->GetWindowText(), c.shown);
        }
        app->m_strStartMenuFolder.clear();
        ASSERT_TRUE(page.UpdateData(true));
        EXPECT_EQ(app->m_strStartMenuFolder, c.folder);
    }
}

TEST_F(Pages, ShortcutPageChoicesAndTheMenuFolderControls) {
    const std::string menuFolder = app->m_strStartMenuFolder;
    CDlgShortcut page;
    ASSERT_TRUE(page.Create(&parent));
    ASSERT_EQ(page.IsDlgButtonChecked(1011), ui::BST_CHECKED);
    ASSERT_EQ(page.IsDlgButtonChecked(1010), ui::BST_CHECKED);
    EXPECT_TRUE(enabled(page.GetDlgItem(1007)) && enabled(page.GetDlgItem(1006)));

    click(page.GetDlgItem(1011));
    click(page.GetDlgItem(1010));
    EXPECT_FALSE(enabled(page.GetDlgItem(1007)) || enabled(page.GetDlgItem(1006)));
    ASSERT_TRUE(page.UpdateData(true));
    EXPECT_FALSE(app->m_bStartMenuShortcut);
    EXPECT_FALSE(app->m_bDesktopShortcut);
    EXPECT_EQ(app->m_strStartMenuFolder, menuFolder) << "kept while its shortcuts are off";

    click(page.GetDlgItem(1011));
    EXPECT_TRUE(enabled(page.GetDlgItem(1007)) && enabled(page.GetDlgItem(1006)));
    ASSERT_TRUE(page.UpdateData(true));
    EXPECT_TRUE(app->m_bStartMenuShortcut);

    // A fresh page starts from the session, greyed when the menu shortcut is off.
    app->m_bStartMenuShortcut = false;
    CDlgShortcut fresh;
    ASSERT_TRUE(fresh.Create(&parent));
    EXPECT_FALSE(enabled(fresh.GetDlgItem(1007)) || enabled(fresh.GetDlgItem(1006)));
}

TEST_F(Pages, FolderPageIsReadOnlyForAnInstalledProduct) {
    app->m_strInstallFolder = "/opt/previous/Quillon 7";
    for (const PreviousInstallStatus previous : {PreviousNone, PreviousOlder, PreviousSame}) {
        SCOPED_TRACE(previous);
        app->m_nPreviousInstall = previous;
        CDlgPath page;
        ASSERT_TRUE(page.Create(&parent));
        const bool fixed = previous != PreviousNone;
        EXPECT_EQ(page.GetDlgItemText(1007), "/opt/previous/Quillon 7");
        EXPECT_EQ(page.GetDlgItem<ui::CEdit>(1007)->IsReadOnly(), fixed);
        EXPECT_EQ(enabled(page.GetDlgItem(1009)), !fixed);
        EXPECT_EQ(enabled(page.GetDlgItem(1006)), !fixed);
    }
}

TEST_F(Pages, LanguageListShowsTheProductsLanguagesWithFlags) {
    MakeLanguageCurrent(LanguageGerman);
    CDlgStart page;
    ASSERT_TRUE(page.Create(&parent));
    auto* list = page.GetDlgItem<ui::CComboBoxEx>(1023);
    std::vector<std::intptr_t> order;
    for (int i = 0; i < list->GetCount(); ++i) {
        order.push_back(list->GetItemData(i));
        EXPECT_FALSE(qobject_cast<QComboBox*>(list->GetSafeHwnd())->itemIcon(i).isNull()) << "no flag at " << i;
    }
    EXPECT_EQ(order, (std::vector<std::intptr_t>{0, 1, 2, 3, 11, 4, 5, 14, 7, 9, 10, 16, 17, 19}));
    EXPECT_EQ(list->GetLBText(2), "Deutsch");
    EXPECT_EQ(list->GetCurSel(), 2) << "the current language is selected";
    int widest = 0;
    for (int i = 0; i < list->GetCount(); ++i) {
        widest = std::max(widest, list->GetTextExtent(list->GetLBText(i)).cx);
    }
    EXPECT_GE(list->GetDroppedWidth(), widest + 30);

    // A current language the product does not know selects nothing.
    MakeLanguageCurrent(LanguageDanish);
    CDlgStart danish;
    ASSERT_TRUE(danish.Create(&parent));
    EXPECT_EQ(danish.GetDlgItem<ui::CComboBoxEx>(1023)->GetCurSel(), -1);
}

TEST_F(Pages, AboutBoxShowsTheInstallersVersionInformation) {
    CAboutDlg about;
    ui_test::when_modal([&] {
        EXPECT_EQ(about.GetWindowText(), "About 'Installer'");
        EXPECT_EQ(about.GetDlgItemText(1019), "Quillon 7.02b");
        EXPECT_EQ(about.GetDlgItemText(1020), "Copyright \u00a9 Vintrel. All rights reserved.");
        EXPECT_EQ(about.GetDlgItemText(ui::IDOK), "OK");
        click(about.GetDlgItem(ui::IDOK));
    });
    EXPECT_EQ(about.DoModal(), ui::IDOK);
}

namespace {

// The running folder picker, known only by its window; closed if a test leaves it open.
QDialog* RunningPicker() {
    return dynamic_cast<QDialog*>(QApplication::activeModalWidget());
}

void PressPickerOk(QDialog* picker) {
    for (auto* button : picker->findChildren<QAbstractButton*>()) {
        if (button->text() == "OK") {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "the picker has no OK button";
}

struct ClosePickerIfOpen {
    ~ClosePickerIfOpen() {
        if (QDialog* picker = RunningPicker(); picker && picker->isVisible()) {
            picker->reject();
        }
    }
};

}  // namespace

TEST_F(Pages, FolderBrowseStartsAtTheTypedFolderAndACancelKeepsIt) {
    const std::string typed = (machine.root() / "apps").string();
    fs::create_directories(typed);
    CDlgPath page;
    ASSERT_TRUE(page.Create(&parent));
    page.SetDlgItemText(1007, typed);

    std::string proposed;
    ui_test::when_modal([&] {
        const ClosePickerIfOpen guard;
        QDialog* picker = RunningPicker();
        ASSERT_TRUE(picker);
        proposed = picker->findChild<QLineEdit*>()->text().toStdString();
        picker->reject();
    });
    click(page.GetDlgItem(1006));
    EXPECT_EQ(proposed, typed + "/Vintrel/Quillon 7");
    EXPECT_EQ(page.GetDlgItemText(1007), typed);
    EXPECT_EQ(app->m_strInstallFolder, typed);

    ui_test::when_modal([&] {
        const ClosePickerIfOpen guard;
        PressPickerOk(RunningPicker());
    });
    click(page.GetDlgItem(1006));
    EXPECT_EQ(app->m_strInstallFolder, typed + "/Vintrel/Quillon 7");
    EXPECT_EQ(page.GetDlgItemText(1007), typed + "/Vintrel/Quillon 7");
}

TEST_F(Pages, MenuBrowsePicksUnderTheProgramsFolderAndShowsItRelative) {
    const fs::path programs = machine.root() / "usr/local/share/applications";
    fs::create_directories(programs / "Games");
    CDlgShortcut page;
    ASSERT_TRUE(page.Create(&parent));

    ui_test::when_modal([&] {
        const ClosePickerIfOpen guard;
        QDialog* picker = RunningPicker();
        ASSERT_TRUE(picker);
        auto* tree = picker->findChild<QTreeWidget*>();
        QTreeWidgetItem* games = tree->topLevelItem(0)->child(0);
        ASSERT_TRUE(games);
        ASSERT_EQ(games->text(0), "Games");
        tree->setCurrentItem(games);
        EXPECT_EQ(picker->findChild<QLineEdit*>()->text(), "applications/Games/Quillon 7");
        PressPickerOk(picker);
    });
    click(page.GetDlgItem(1006));
    EXPECT_EQ(app->m_strStartMenuFolder, (programs / "Games/Quillon 7").string());
    EXPECT_EQ(page.GetDlgItemText(1007), "applications/Games/Quillon 7");
}

// On a machine whose Programs folder does not exist yet, the picker still shows only that folder, and
// what it gives lies in it; the same holds once the folder exists.
TEST_F(Pages, MenuBrowseStaysInTheProgramsFolderWhetherOrNotItExists) {
    const fs::path programs = machine.root() / "usr/local/share/applications";
    for (const bool exists : {false, true}) {
        SCOPED_TRACE(exists ? "the folder exists" : "no folder yet");
        if (exists) {
            fs::create_directories(programs);
        } else {
            fs::remove_all(programs);  // as on a fresh machine
        }
        CDlgShortcut page;
        ASSERT_TRUE(page.Create(&parent));
        ui_test::when_modal([&] {
            const ClosePickerIfOpen guard;
            QDialog* picker = RunningPicker();
            ASSERT_TRUE(picker);
            auto* tree = picker->findChild<QTreeWidget*>();
            ASSERT_EQ(tree->topLevelItemCount(), 1);
            EXPECT_EQ(tree->topLevelItem(0)->text(0), "applications");
            EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
            EXPECT_EQ(picker->findChild<QLineEdit*>()->text(), "applications/Vintrel/Quillon 7");
            PressPickerOk(picker);
        });
        click(page.GetDlgItem(1006));
        EXPECT_EQ(app->m_strStartMenuFolder, (programs / "Vintrel/Quillon 7").string());
        EXPECT_EQ(page.GetDlgItemText(1007), "applications/Vintrel/Quillon 7");
        EXPECT_EQ(fs::exists(programs), exists) << "browsing creates nothing";
    }
    EXPECT_TRUE(boxes.records().empty());
}
