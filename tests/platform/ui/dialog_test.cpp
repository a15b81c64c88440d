#include "platform/ui/dialog.hpp"
#include "platform/ui/button.hpp"
#include "platform/ui/combo_box.hpp"
#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/message_box.hpp"
#include "ui_test.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <string>
#include <vector>

namespace res = platform::resources;
using namespace platform::ui;
using ui_test::control;

namespace {

void send_key(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &release);
}

void click(const CWnd* window) {
    ASSERT_TRUE(window);
    static_cast<QAbstractButton*>(window->GetSafeHwnd())->click();
}

res::dialog_template handler_template() {
    return ui_test::popup_template({
        control(1000, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 50, 14, "Press"),
        control(1001, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 30, 80, 10, "Check"),
        control(1002, "COMBOBOX", CBS_DROPDOWNLIST | WS_TABSTOP, 10, 45, 80, 60),
        control(1003, "EDIT", WS_BORDER | WS_TABSTOP, 10, 62, 80, 12),
        control(IDOK, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 90, 100, 50, 14, "OK"),
        control(IDCANCEL, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 145, 100, 50, 14, "Cancel"),
    });
}

class CHandlerDialog : public CDialog {
public:
    CHandlerDialog() : CDialog(handler_template()) {}

    std::vector<std::string> m_events;
    int m_nEndWith = 0;

    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* combo = GetDlgItem<CComboBox>(1002);
        combo->AddString("one");
        combo->AddString("two");
        combo->AddString("three");
        m_events.push_back("init");
        return true;
    }
    void OnCancel() override {
        m_events.push_back("cancel");
        CDialog::OnCancel();
    }

protected:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CDialog::GetMessageMap(), {
                                                                   ON_BN_CLICKED(1000, &CHandlerDialog::OnPress),
                                                                   ON_CBN_SELCHANGE(1002, &CHandlerDialog::OnSelect),
                                                                   ON_EN_CHANGE(1003, &CHandlerDialog::OnEdit),
                                                               });
        return &map;
    }
    void OnPress() {
        m_events.push_back("press");
        if (m_nEndWith != 0) {
            EndDialog(m_nEndWith);
        }
    }
    void OnSelect() { m_events.push_back("select " + GetDlgItem<CComboBox>(1002)->GetWindowText()); }
    void OnEdit() { m_events.push_back("edit " + GetDlgItemText(1003)); }
};

// A derived class's table comes first; what it leaves out, its base class handles.
class CDerivedDialog : public CHandlerDialog {
protected:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CHandlerDialog::GetMessageMap(),
                                     {
                                         ON_BN_CLICKED(1000, &CDerivedDialog::OnPressAgain),
                                     });
        return &map;
    }
    void OnPressAgain() { m_events.push_back("derived press"); }
};

class Dialog : public ui_test::ui_fixture {};

}  // namespace

TEST_F(Dialog, HandlersRunByControlIdAndNotification) {
    ui_test::parent_window parent;
    CHandlerDialog dialog;
    ASSERT_TRUE(dialog.Create(&parent));
    ASSERT_EQ(dialog.m_events, std::vector<std::string>{"init"});
    dialog.m_events.clear();

    click(dialog.GetDlgItem(1000));
    click(dialog.GetDlgItem(1001));                    // no handler: nothing happens
    dialog.GetDlgItem<CComboBox>(1002)->SetCurSel(0);  // a program's selection notifies nobody
    send_key(dialog.GetDlgItem(1002)->GetSafeHwnd(), Qt::Key_Down);
    send_key(dialog.GetDlgItem(1003)->GetSafeHwnd(), Qt::Key_A, Qt::NoModifier, "a");
    dialog.SetDlgItemText(1003, "b");  // an edit box reports a program's change too
    EXPECT_EQ(dialog.m_events, (std::vector<std::string>{"press", "select two", "edit a", "edit b"}));

    CDerivedDialog derived;
    ASSERT_TRUE(derived.Create(&parent));
    derived.m_events.clear();
    click(derived.GetDlgItem(1000));
    send_key(derived.GetDlgItem(1002)->GetSafeHwnd(), Qt::Key_Down);
    EXPECT_EQ(derived.m_events, (std::vector<std::string>{"derived press", "select one"}));
}

TEST_F(Dialog, ModalDialogEndsWithWhatItsHandlerGivesAndCanRunAgain) {
    CHandlerDialog dialog;
    dialog.m_nEndWith = 42;
    for (int run = 0; run < 2; ++run) {
        ui_test::when_modal([&] { click(dialog.GetDlgItem(1000)); });
        EXPECT_EQ(dialog.DoModal(), 42);
        EXPECT_EQ(dialog.GetSafeHwnd(), nullptr) << "the window goes when DoModal returns";
        EXPECT_EQ(dialog.GetDlgItem(1000), nullptr);
    }
}

TEST_F(Dialog, EnterPressesTheDefaultButtonAndOkSavesBeforeEnding) {
    CHandlerDialog dialog;
    ui_test::when_modal([&] {
        EXPECT_EQ(dialog.GetDefID(), IDOK);
        // Enter in an edit box presses the default button (on a push button, that button).
        dialog.GetDlgItem(1003)->SetFocus();
        send_key(dialog.GetDlgItem(1003)->GetSafeHwnd(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);

    // DM_SETDEFID moves the default to another button.
    dialog.m_nEndWith = 7;
    ui_test::when_modal([&] {
        dialog.GetDlgItem(1003)->SetFocus();
        dialog.SetDefID(1000);
        EXPECT_EQ(dialog.GetDefID(), 1000);
        send_key(dialog.GetDlgItem(1003)->GetSafeHwnd(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), 7);
}

TEST_F(Dialog, CloseBoxEscapeAndSystemCloseAreRefusedWhileCancelIsDisabled) {
    CHandlerDialog dialog;
    ui_test::when_modal([&] {
        QWidget* window = dialog.GetSafeHwnd();
        dialog.GetDlgItem(IDCANCEL)->EnableWindow(false);
        window->close();
        send_key(dialog.GetDlgItem(1003)->GetSafeHwnd(), Qt::Key_Escape);
        dialog.OnSysCommand(SC_CLOSE);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(std::count(dialog.m_events.begin(), dialog.m_events.end(), "cancel"), 0);

        dialog.GetDlgItem(IDCANCEL)->EnableWindow(true);
        send_key(dialog.GetDlgItem(1003)->GetSafeHwnd(), Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_events.back(), "cancel");

    ui_test::when_modal([&] { dialog.GetSafeHwnd()->close(); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(Dialog, AMissingTemplateCreatesNothing) {
    ui_test::parent_window parent;
    CDialog missing(59999);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_FALSE(missing.Create(&parent));
    CDialog unknownClass(ui_test::child_template({control(5, "LISTBOX", 0, 0, 0, 10, 10)}));
    EXPECT_FALSE(unknownClass.Create(&parent));
    EXPECT_EQ(unknownClass.GetSafeHwnd(), nullptr);
}

TEST_F(Dialog, ChildDialogIsBuiltHiddenInsideItsParentAtItsPosition) {
    ui_test::parent_window parent;
    CDialog page(ui_test::child_template({control(1003, "STATIC", SS_LEFT, 7, 69, 237, 8, "status")}, 8, 16));
    ASSERT_TRUE(page.Create(&parent));
    QWidget* widget = page.GetSafeHwnd();
    EXPECT_EQ(widget->parentWidget(), parent.GetSafeHwnd());
    EXPECT_FALSE(page.IsWindowVisible());
    const CSize base = page.GetBaseUnits();
    EXPECT_EQ(widget->pos(), QPoint((8 * base.cx + 2) / 4, (16 * base.cy + 4) / 8));
    EXPECT_EQ(page.GetDlgItemText(1003), "status");
    EXPECT_EQ(page.GetDlgItemText(4242), "");  // no such control: nothing, no crash
    page.SetDlgItemText(4242, "ignored");

    page.ShowWindow(SW_SHOW);
    EXPECT_TRUE(page.IsWindowVisible());
    // The page goes with its parent's window, and its controls with it.
    delete parent.GetSafeHwnd();
    EXPECT_EQ(page.GetSafeHwnd(), nullptr);
    EXPECT_EQ(page.GetDlgItem(1003), nullptr);
}

TEST_F(Dialog, AHandlersErrorIsReportedNotThrownThroughTheEventLoop) {
    class CFailing : public CDialog {
    public:
        CFailing() : CDialog(ui_test::child_template({control(9, "BUTTON", 0, 0, 0, 20, 10, "x")})) {}

    protected:
        const CMessageMap* GetMessageMap() const override {
            static const CMessageMap map(CDialog::GetMessageMap(), {ON_BN_CLICKED(9, &CFailing::OnFail)});
            return &map;
        }
        void OnFail() { throw std::runtime_error("disk full"); }
    };
    ui_test::parent_window parent;
    CFailing dialog;
    ASSERT_TRUE(dialog.Create(&parent));
    message_box_script script;
    click(dialog.GetDlgItem(9));
    ASSERT_EQ(script.records().size(), 1u);
    EXPECT_EQ(script.records()[0].text, "disk full");
    EXPECT_EQ(script.records()[0].type & MB_ICONMASK, MB_ICONERROR);
}
