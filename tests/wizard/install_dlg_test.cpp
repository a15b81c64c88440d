#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/menu.hpp"
#include "platform/ui/ui_test.hpp"
#include "startup/language_catalogue.hpp"
#include "wizard/run_wizard.hpp"
#include "wizard_fixture.hpp"

#include <QApplication>
#include <QWidget>

#include <ostream>
#include <string>

namespace ui = platform::ui;
using wizard_test::click;
using wizard_test::CTestHost;
using wizard_test::enabled;

namespace {

constexpr int kBack = 3;

// What the user sees of the host: the page and the three buttons.
struct HostState {
    int page = -1;
    bool back = false;
    std::string next;
    bool nextEnabled = false;
    std::string exit;
    bool exitEnabled = false;
    int defaultButton = 0;

    bool operator==(const HostState&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const HostState& s) {
        return out << "page " << s.page << (s.back ? ", Back" : ", no Back") << ", '" << s.next << "'"
                   << (s.nextEnabled ? "" : " disabled") << ", '" << s.exit << "'" << (s.exitEnabled ? "" : " disabled")
                   << ", default " << s.defaultButton;
    }
};

HostState StateOf(const CInstallDlg& host) {
    return {host.GetCurrentPage(),
            enabled(host.GetDlgItem(kBack)),
            host.GetDlgItemText(ui::IDOK),
            enabled(host.GetDlgItem(ui::IDOK)),
            host.GetDlgItemText(ui::IDCANCEL),
            enabled(host.GetDlgItem(ui::IDCANCEL)),
            host.GetDefID()};
}

// Only the current page is shown.
void ExpectOnlyCurrentPageShown(const CInstallDlg& host) {
    for (int i = 0; i < CInstallDlg::PageCount; ++i) {
        EXPECT_EQ(host.GetPage(i).IsWindowVisible(), i == host.GetCurrentPage()) << "page " << i;
    }
}

const std::string kNext = "Next  >";
const std::string kInstall = "Install";

class Host : public wizard_test::WizardTest {};

}  // namespace

TEST_F(Host, ButtonsFollowThePageAndTheInstallationThroughAQuickInstallation) {
    CTestHost host;
    host.m_results = {false, true};
    enum Action { None, Next, Back, Exit };
    const struct {
        Action action;
        HostState state;
        int runs;
    } steps[] = {
        {None, {0, false, kNext, true, "Cancel", true, ui::IDOK}, 0},
        {Next, {1, true, kNext, true, "Cancel", true, ui::IDOK}, 0},
        {Next, {4, true, kInstall, true, "Cancel", true, ui::IDOK}, 0},
        {Back, {1, true, kNext, true, "Cancel", true, ui::IDOK}, 0},
        {Next, {4, true, kInstall, true, "Cancel", true, ui::IDOK}, 0},
        {Next, {4, true, kInstall, true, "Cancel", true, ui::IDOK}, 1},  // a failed run: Install again
        {Next, {4, false, kNext, true, "Exit", true, ui::IDOK}, 2},      // installed
        {Next, {5, true, kNext, false, "Exit", true, ui::IDCANCEL}, 2},
        {Back, {4, false, kNext, true, "Exit", true, ui::IDOK}, 2},
        {Next, {5, true, kNext, false, "Exit", true, ui::IDCANCEL}, 2},
    };
    const int result = RunHost(host, [&] {
        int step = 0;
        for (const auto& s : steps) {
            if (s.action == Next) {
                click(host.GetDlgItem(ui::IDOK));
            } else if (s.action == Back) {
                click(host.GetDlgItem(kBack));
            }
            EXPECT_EQ(StateOf(host), s.state) << "step " << step;
            EXPECT_EQ(host.m_nRuns, s.runs) << "step " << step;
            ExpectOnlyCurrentPageShown(host);
            ++step;
        }
        EXPECT_FALSE(host.m_bButtonsEnabledDuringRun[0] || host.m_bButtonsEnabledDuringRun[1] ||
                     host.m_bButtonsEnabledDuringRun[2]);
        // Back from the end page shows the run's report, not a new summary.
        EXPECT_NE(host.InstallPage().GetDlgItemText(1015).find("run 1 Failed\r\nrun 2 OK\r\n"), std::string::npos);
        EXPECT_EQ(host.GetPage(5).GetDlgItemText(1016), "Installation is complete.");
        click(host.GetDlgItem(ui::IDCANCEL));
    });
    EXPECT_EQ(result, ui::IDOK);
    EXPECT_TRUE(app->m_bInstalled);
    EXPECT_TRUE(boxes.records().empty()) << "no question after the installation";
}

TEST_F(Host, QuickModeSkipsTheFolderAndShortcutPagesBothWays) {
    CTestHost host;
    RunHost(host, [&] {
        const auto press = [&](int button) {
            click(host.GetDlgItem(button));
            return host.GetCurrentPage();
        };
        ASSERT_EQ(press(ui::IDOK), 1);
        // Choosing advanced mode applies to the very move that leaves the mode page.
        click(host.GetPage(1).GetDlgItem(1019));
        EXPECT_EQ(press(ui::IDOK), 2);
        EXPECT_TRUE(app->m_bAdvancedMode);
        EXPECT_EQ(press(ui::IDOK), 3);
        EXPECT_EQ(press(ui::IDOK), 4);
        EXPECT_EQ(press(kBack), 3);
        EXPECT_EQ(press(kBack), 2);
        EXPECT_EQ(press(kBack), 1);
        // And quick mode again skips in both directions. An over-long folder on the skipped folder
        // page shows that it is never validated either.
        host.GetPage(2).SetDlgItemText(1007, std::string(300, 'x'));
        click(host.GetPage(1).GetDlgItem(1018));
        EXPECT_EQ(press(ui::IDOK), 4);
        EXPECT_FALSE(app->m_bAdvancedMode);
        EXPECT_FALSE(host.GetPage(2).IsWindowVisible());
        EXPECT_EQ(press(kBack), 1);
        EXPECT_TRUE(boxes.records().empty());
    });
}

TEST_F(Host, ExitAsksUnlessNothingWouldBeLost) {
    const struct {
        PreviousInstallStatus previous;
        int page;  // reached with Next before Exit
        bool asks;
    } cases[] = {
        {PreviousNone, 0, true}, {PreviousNone, 1, true}, {PreviousOlder, 0, true},  {PreviousSame, 0, false},
        {PreviousSame, 1, true}, {PreviousSame, 4, true}, {PreviousNewer, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "previous " << c.previous << ", page " << c.page);
        app->m_nPreviousInstall = c.previous;
        app->m_bAdvancedMode = false;
        ui::message_box_script script;
        CTestHost host;
        const int result = RunHost(host, [&] {
            while (host.GetCurrentPage() < c.page) {
                click(host.GetDlgItem(ui::IDOK));
            }
            if (c.asks) {
                script.push_answer(ui::IDNO);
                click(host.GetDlgItem(ui::IDCANCEL));
                ASSERT_TRUE(host.GetSafeHwnd()) << "No keeps the wizard open";
                EXPECT_EQ(host.GetCurrentPage(), c.page);
                script.push_answer(ui::IDYES);
            }
            click(host.GetDlgItem(ui::IDCANCEL));
        });
        EXPECT_EQ(result, ui::IDCANCEL);
        ASSERT_EQ(script.records().size(), c.asks ? 2u : 0u);
        for (const auto& box : script.records()) {
            EXPECT_EQ(box.text, "Installation is not complete.\r\n\r\nDo you still confirm exit Installation ?");
            EXPECT_EQ(box.caption, "Installer \u2013 Quillon 7.02b");
            EXPECT_EQ(box.type, ui::MB_YESNO | ui::MB_ICONQUESTION | ui::MB_DEFBUTTON2);
        }
    }
}

TEST_F(Host, ANewerInstalledVersionLeavesOnlyExit) {
    app->m_nPreviousInstall = PreviousNewer;
    CTestHost host;
    RunHost(host, [&] {
        EXPECT_FALSE(enabled(host.GetDlgItem(ui::IDOK)));
        host.OnOK();  // as Enter would
        EXPECT_EQ(host.GetCurrentPage(), 0);
        EXPECT_EQ(host.GetPage(0).GetDlgItemText(1003), "Click on 'Cancel' to exit Installation.");
    });
}

TEST_F(Host, AFolderThatCannotBeSavedKeepsItsPageInBothDirections) {
    app->m_bAdvancedMode = true;
    const std::string folder = app->m_strInstallFolder;
    CTestHost host;
    RunHost(host, [&] {
        click(host.GetDlgItem(ui::IDOK));
        click(host.GetDlgItem(ui::IDOK));
        ASSERT_EQ(host.GetCurrentPage(), 2);
        const std::string tooLong = "/" + std::string(260, 'a');
        host.GetPage(2).SetDlgItemText(1007, tooLong);
        for (const int button : {ui::IDOK, kBack}) {
            click(host.GetDlgItem(button));
            EXPECT_EQ(host.GetCurrentPage(), 2);
            ExpectOnlyCurrentPageShown(host);
            EXPECT_EQ(app->m_strInstallFolder, folder);
        }
        ASSERT_EQ(boxes.records().size(), 2u);
        EXPECT_EQ(boxes.records()[0].text, "Enter no more than 260 characters.");

        const std::string longest = "/" + std::string(259, 'a');
        host.GetPage(2).SetDlgItemText(1007, longest);
        click(host.GetDlgItem(ui::IDOK));
        EXPECT_EQ(host.GetCurrentPage(), 3);
        EXPECT_EQ(app->m_strInstallFolder, longest);
    });
}

TEST_F(Host, ChoosingALanguageRelabelsTheWindowAndEveryPage) {
    app->m_bAdvancedMode = true;
    CTestHost host;
    RunHost(host, [&] {
        auto* list = host.GetPage(0).GetDlgItem<ui::CComboBoxEx>(1023);
        ASSERT_TRUE(list);
        const auto choose = [&](std::uint32_t language) {
            for (int i = 0; i < list->GetCount(); ++i) {
                if (list->GetItemData(i) == static_cast<std::intptr_t>(language)) {
                    wizard_test::choose_item(*list, i);
                    return;
                }
            }
            ADD_FAILURE() << "language " << language << " is not listed";
        };
        const auto texts = [&] {
            return std::vector<std::string>{
                host.GetWindowText(),
                host.GetSystemMenu()->GetMenuString(CInstallDlg::IDM_ABOUTBOX, ui::MF_BYCOMMAND),
                host.GetDlgItemText(kBack),
                host.GetDlgItemText(ui::IDOK),
                host.GetDlgItemText(ui::IDCANCEL),
                host.GetPage(0).GetDlgItemText(1022),
                host.GetPage(0).GetDlgItemText(1016),
                host.GetPage(1).GetDlgItemText(1021),
                host.GetPage(2).GetDlgItemText(1009),
                host.GetPage(3).GetDlgItemText(1010),
                host.GetPage(4).GetDlgItemText(1003),
                host.GetPage(5).GetDlgItemText(1003),
            };
        };
        const std::vector<std::string> english = texts();
        EXPECT_EQ(english, (std::vector<std::string>{
                               "Installer \u2013 Quillon 7.02b",
                               "&About 'Installer'...",
                               "<  Back",
                               kNext,
                               "Cancel",
                               "Select Installation Langage",
                               "'Quillon 7.02b' Installation.",
                               "Installation Method",
                               "Select 'Quillon' Installation Folder.",
                               "Create a Shortcut on the Desktop.",
                               "Click on 'Install' to start Installation.",
                               "Click on 'Exit' to exit Installation.",
                           }));

        choose(LanguageGerman);
        EXPECT_EQ(texts(), (std::vector<std::string>{
                               "Installationsprogramm \u2013 Quillon 7.02b",
                               "&Über „Installationsprogramm“...",
                               "<  Zurück",
                               "Weiter  >",
                               "Abbrechen",
                               "Installationssprache auswählen",
                               "Installation von „Quillon 7.02b“.",
                               "Installationsart",
                               "Wählen Sie den Installationsordner für „Quillon“.",
                               "Verknüpfung auf dem Desktop erstellen.",
                               "Klicken Sie auf „Installieren“, um die Installation zu starten.",
                               "Klicken Sie auf „Beenden“, um die Installation zu beenden.",
                           }));
        EXPECT_TRUE(boxes.records().empty());

        // Dutch is not translated: a notice, then English, while the list keeps showing Dutch.
        choose(LanguageDutch);
        ASSERT_EQ(boxes.records().size(), 1u);
        EXPECT_EQ(boxes.records()[0].type, ui::MB_ICONINFORMATION | ui::MB_OK);
        EXPECT_EQ(boxes.records()[0].text,
                  "'Quillon' will be installed in the selected Langage, but the Installer, still under "
                  "translation,  shall run in English.");
        EXPECT_EQ(texts(), english);
        EXPECT_EQ(list->GetItemData(list->GetCurSel()), static_cast<std::intptr_t>(LanguageDutch));
        EXPECT_EQ(app->m_nProductLanguage, LanguageDutch);
    });
}

TEST_F(Host, StartPageSaysWhatThisRunWillDo) {
    app->m_strPreviousVersion = "Quillon 7.01";
    const struct {
        PreviousInstallStatus previous;
        const char* information;
        const char* status;
    } cases[] = {
        {PreviousNone, "'Quillon 7.02b' Installation.", "Click on 'Next' to continue."},
        {PreviousOlder, "Update from 'Quillon 7.01' to 'Quillon 7.02b'.", "Click on 'Next' to continue."},
        {PreviousSame, "'Quillon 7.02b' is already installed.\r\nDo you confirm Reinstallation ?",
         "Click on 'Next' to continue or on 'Cancel' to exit Installation."},
        {PreviousNewer, "'Quillon 7.02b' Installation.\r\nA more recent Version (Quillon 7.01) is already installed.",
         "Click on 'Cancel' to exit Installation."},
    };
    for (const auto& c : cases) {
        app->m_nPreviousInstall = c.previous;
        CTestHost host;
        RunHost(host, [&] {
            EXPECT_EQ(host.GetPage(0).GetDlgItemText(1016), c.information) << c.previous;
            EXPECT_EQ(host.GetPage(0).GetDlgItemText(1003), c.status) << c.previous;
        });
    }
}

TEST_F(Host, TheHostWidensForTheWidestPageAndKeepsItsAreaForSmallerOnes) {
    using wizard_test::control_pixels;
    using wizard_test::page_pixels;
    using wizard_test::rect_in;
    CTestHost host;
    RunHost(host, [&] {
        int widest = 0, tallest = 0;
        for (const unsigned id : {132u, 136u, 133u, 134u, 135u, 137u}) {
            widest = std::max(widest, page_pixels(host, id).Width());
            tallest = std::max(tallest, page_pixels(host, id).Height());
        }
        // The template's page area: right of the banner, above the separator.
        const ui::CRect banner = control_pixels(host, 102, 1005);
        const ui::CRect separator = control_pixels(host, 102, 1002);
        const int areaWidth = page_pixels(host, 102).right - banner.right;
        const int areaHeight = separator.top;
        // The real pages are wider than the template's area and less tall: the host grows by the
        // widest page's excess, and keeps its height, the pages growing to fill the area (which
        // the banner picture needs).
        ASSERT_GT(widest, areaWidth);
        ASSERT_LT(tallest, areaHeight);
        const int dx = widest - areaWidth;
        const int dy = 0;
        tallest = areaHeight;
        EXPECT_LE(rect_in(host, *host.GetDlgItem(-1)).bottom, separator.top) << "the banner picture";

        EXPECT_EQ(host.GetClientRect().Width(), page_pixels(host, 102).Width() + dx);
        EXPECT_EQ(host.GetClientRect().Height(), page_pixels(host, 102).Height() + dy);
        for (int i = 0; i < CInstallDlg::PageCount; ++i) {
            EXPECT_EQ(rect_in(host, host.GetPage(i)), (ui::CRect{banner.right, 0, banner.right + widest, tallest}))
                << "page " << i;
        }
        for (const int id : {kBack, ui::IDOK, ui::IDCANCEL}) {
            ui::CRect expected = control_pixels(host, 102, id);
            expected.OffsetRect(dx, dy);
            EXPECT_EQ(rect_in(host, *host.GetDlgItem(id)), expected) << "button " << id;
        }
        ui::CRect line = separator;
        line.right += dx;
        line.OffsetRect(0, dy);
        EXPECT_EQ(rect_in(host, *host.GetDlgItem(1002)), line);
        EXPECT_EQ(rect_in(host, *host.GetDlgItem(1005)).bottom, banner.bottom + dy);

        // Each page's status line keeps its distances to the page's right and bottom edges, the
        // progress bar too, and the Browse buttons theirs to the right edge.
        const struct {
            int page;
            unsigned templateId;
            int control;
            bool bottomAnchored;
        } anchored[] = {{0, 132, 1003, true},  {1, 136, 1003, true}, {2, 133, 1003, true},
                        {2, 133, 1006, false}, {3, 134, 1003, true}, {3, 134, 1006, false},
                        {4, 135, 1003, true},  {4, 135, 1014, true}, {5, 137, 1003, true}};
        for (const auto& a : anchored) {
            SCOPED_TRACE(::testing::Message() << "page " << a.page << ", control " << a.control);
            const ui::CRect own = page_pixels(host, a.templateId);
            const ui::CRect control = control_pixels(host, a.templateId, a.control);
            const CWizardPage& page = host.GetPage(a.page);
            const ui::CRect now = rect_in(page, *page.GetDlgItem(a.control));
            EXPECT_EQ(widest - now.right, own.right - control.right);
            EXPECT_EQ(now.Height(), control.Height());
            if (a.bottomAnchored) {
                EXPECT_EQ(tallest - now.bottom, own.bottom - control.bottom);
            } else {
                EXPECT_EQ(now.top, control.top);
            }
        }
    });
}

TEST_F(Host, SystemMenuHasAboutAndNoMaximizeOrSize) {
    CTestHost host;
    RunHost(host, [&] {
        const ui::CMenu* menu = host.GetSystemMenu();
        EXPECT_EQ(menu->GetMenuState(ui::SC_MAXIMIZE, ui::MF_BYCOMMAND), -1);
        EXPECT_EQ(menu->GetMenuState(ui::SC_SIZE, ui::MF_BYCOMMAND), -1);
        const int count = menu->GetMenuItemCount();
        ASSERT_GE(count, 2);
        EXPECT_EQ(menu->GetMenuItemID(count - 2), static_cast<unsigned>(-1));  // the separator
        EXPECT_EQ(menu->GetMenuItemID(count - 1), CInstallDlg::IDM_ABOUTBOX);

        // The About command opens the About box.
        std::string caption;
        ui_test::when_modal([&] {
            if (QWidget* about = QApplication::activeModalWidget()) {
                caption = about->windowTitle().toStdString();
                about->close();
            }
        });
        host.OnSysCommand(CInstallDlg::IDM_ABOUTBOX);
        EXPECT_EQ(caption, "About 'Installer'");
    });
}

TEST_F(Host, TheWizardRunsAsTheMainWindowThatLanguageChangesReach) {
    std::string caption;
    ui_test::when_modal([&] {
        auto* host = dynamic_cast<CInstallDlg*>(app->m_pMainWnd);
        ASSERT_TRUE(host);
        app->SetLanguage(LanguageGerman);
        caption = host->GetWindowText();
        click(host->GetDlgItem(ui::IDCANCEL));
        ASSERT_EQ(boxes.records().size(), 1u);
        EXPECT_EQ(boxes.records()[0].caption, "Installationsprogramm \u2013 Quillon 7.02b");
        EXPECT_EQ(boxes.records()[0].answer, ui::IDNO) << "the default button answered";
        boxes.push_answer(ui::IDYES);
        click(host->GetDlgItem(ui::IDCANCEL));
    });
    RunWizard(*app);
    EXPECT_EQ(caption, "Installationsprogramm \u2013 Quillon 7.02b");
    EXPECT_EQ(app->m_pMainWnd, nullptr);
}
