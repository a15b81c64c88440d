#include "platform/ui/dialog.hpp"
#include "platform/ui/framework_constants.hpp"
#include "ui_test.hpp"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

#include <vector>

using namespace platform::ui;
using ui_test::control;

namespace {

constexpr unsigned IDM_ABOUTBOX = 16;

// A host that adds an item to its system menu and removes maximising and sizing, as the wizard does.
class CMenuDialog : public CDialog {
public:
    CMenuDialog()
        : CDialog(ui_test::popup_template({
              control(1000, "EDIT", WS_BORDER | WS_TABSTOP, 10, 10, 80, 12),
              control(IDOK, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 90, 100, 50, 14, "OK"),
              control(IDCANCEL, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 145, 100, 50, 14, "Cancel"),
          })) {}

    std::vector<unsigned> m_commands;

    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        CMenu* menu = GetSystemMenu();
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, "&About 'Installer'...");
        menu->RemoveMenu(SC_MAXIMIZE, MF_BYCOMMAND);
        menu->RemoveMenu(SC_SIZE, MF_BYCOMMAND);
        return true;
    }
    void OnSysCommand(unsigned nID) override {
        m_commands.push_back(nID);
        CDialog::OnSysCommand(nID);
    }
};

struct shown_item {
    QString text;
    bool enabled;
    bool operator==(const shown_item&) const = default;
};

std::vector<shown_item> items_of(const QMenu* menu) {
    std::vector<shown_item> items;
    for (const QAction* action : menu->actions()) {
        items.push_back({action->isSeparator() ? QString("-") : action->text(), action->isEnabled()});
    }
    return items;
}

// Chooses the item with that text in the menu that is open, as Enter does.
void choose(const QString& text) {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu) << "no menu is open";
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            menu->setActiveAction(action);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(menu, &enter);
            return;
        }
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    menu->close();
}

class SystemMenu : public ui_test::ui_fixture {};

}  // namespace

TEST_F(SystemMenu, AltSpaceOpensItWithTheApplicationsItemAndRunsTheChosenCommand) {
    CMenuDialog dialog;
    std::vector<shown_item> shown;
    ui_test::when_modal([&] {
        ui_test::when_modal([&] {
            shown = items_of(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
            choose("&About 'Installer'...");
        });
        // Wherever the focus is, Alt+Space opens the dialog's menu.
        QKeyEvent altSpace(QEvent::KeyPress, Qt::Key_Space, Qt::AltModifier, " ");
        QCoreApplication::sendEvent(dialog.GetDlgItem(1000)->GetSafeHwnd(), &altSpace);
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(shown, (std::vector<shown_item>{{"&Restore", false},
                                              {"Mi&nimize", true},
                                              {"-", true},
                                              {"&Close\tAlt+F4", true},
                                              {"-", true},
                                              {"&About 'Installer'...", true}}));
    EXPECT_EQ(dialog.m_commands, std::vector<unsigned>{IDM_ABOUTBOX});
}

TEST_F(SystemMenu, ARightClickOnAChildPageOpensTheHostsMenuAndCloseEndsTheDialog) {
    CMenuDialog host;
    CDialog page(ui_test::child_template({control(1003, "STATIC", SS_LEFT, 7, 7, 100, 8, "page")}, 0, 0, 150, 60));
    ui_test::when_modal([&] {
        ASSERT_TRUE(page.Create(&host));
        page.ShowWindow(SW_SHOW);
        ui_test::when_modal([] { choose("&Close\tAlt+F4"); });
        QWidget* label = page.GetDlgItem(1003)->GetSafeHwnd();
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(label, &rightClick);
    });
    EXPECT_EQ(host.DoModal(), IDCANCEL);
    EXPECT_EQ(host.m_commands, std::vector<unsigned>{SC_CLOSE});
}

TEST_F(SystemMenu, ItemsAreGreyedByTheWindowsStateAndTheWindowIsNeverMaximised) {
    CMenuDialog dialog;
    ui_test::when_modal([&] {
        CMenu* menu = dialog.GetSystemMenu();
        dialog.OnInitMenuPopup(menu, true);
        EXPECT_EQ(menu->GetMenuState(SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
        EXPECT_EQ(menu->GetMenuState(SC_MINIMIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);
        EXPECT_EQ(menu->GetMenuState(SC_MAXIMIZE, MF_BYCOMMAND), -1);  // removed

        dialog.OnSysCommand(SC_MINIMIZE);
        EXPECT_TRUE(dialog.IsIconic());
        dialog.OnInitMenuPopup(menu, true);
        EXPECT_EQ(menu->GetMenuState(SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED, 0u);
        EXPECT_EQ(menu->GetMenuState(SC_MINIMIZE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
        dialog.OnSysCommand(SC_RESTORE);
        EXPECT_FALSE(dialog.IsIconic());

        // No close while the Cancel button is disabled.
        dialog.GetDlgItem(IDCANCEL)->EnableWindow(false);
        dialog.OnInitMenuPopup(menu, true);
        EXPECT_EQ(menu->GetMenuState(SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
        dialog.GetDlgItem(IDCANCEL)->EnableWindow(true);

        const QSize size = dialog.GetSafeHwnd()->size();
        dialog.OnSysCommand(SC_MAXIMIZE);
        dialog.GetSafeHwnd()->showMaximized();
        EXPECT_FALSE(dialog.GetSafeHwnd()->isMaximized());
        EXPECT_EQ(dialog.GetSafeHwnd()->size(), size);
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);

    // The default menu comes back on request.
    EXPECT_EQ(dialog.GetSystemMenu(true), nullptr);
    EXPECT_NE(dialog.GetSystemMenu()->GetMenuState(SC_MAXIMIZE, MF_BYCOMMAND), -1);
}

TEST(Menu, ItemsChangeByCommandAndByPosition) {
    CMenu menu;
    menu.AppendMenu(MF_STRING, 1, "one");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, 16, "about");
    EXPECT_TRUE(menu.ModifyMenu(16, MF_BYCOMMAND | MF_STRING, 16, "&About 'Installateur'..."));
    EXPECT_EQ(menu.GetMenuString(16, MF_BYCOMMAND), "&About 'Installateur'...");
    EXPECT_EQ(menu.GetMenuString(2, MF_BYPOSITION), "&About 'Installateur'...");
    EXPECT_EQ(menu.GetMenuItemID(1), static_cast<unsigned>(-1));  // the separator
    EXPECT_FALSE(menu.ModifyMenu(99, MF_BYCOMMAND, 99, "x"));
    EXPECT_EQ(menu.EnableMenuItem(1, MF_BYCOMMAND | MF_GRAYED), static_cast<int>(MF_ENABLED));
    EXPECT_EQ(menu.EnableMenuItem(1, MF_BYCOMMAND | MF_ENABLED), static_cast<int>(MF_GRAYED));
    EXPECT_EQ(menu.EnableMenuItem(99, MF_GRAYED), -1);
    EXPECT_TRUE(menu.RemoveMenu(1, MF_BYPOSITION));
    EXPECT_FALSE(menu.RemoveMenu(0, MF_BYCOMMAND));  // no command 0: separators have none
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
}
