#include "platform/ui/data_exchange.hpp"
#include "platform/ui/application.hpp"
#include "platform/ui/button.hpp"
#include "platform/ui/combo_box.hpp"
#include "platform/ui/dialog.hpp"
#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/message_box.hpp"
#include "ui_test.hpp"

#include <QAbstractButton>
#include <QLineEdit>

#include <stdexcept>

using namespace platform::ui;
using ui_test::control;

namespace {

// The shapes of the wizard's pages: a folder with a length limit, a check box, a radio group
// closed by a label, a list.
class CExchangeDialog : public CDialog {
public:
    CExchangeDialog()
        : CDialog(ui_test::child_template({
              control(1007, "EDIT", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 16, 39, 177, 12),
              control(1011, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 16, 23, 245, 8, "Menu"),
              control(1018, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 14, 55, 249, 8, "Quick"),
              control(1019, "BUTTON", BS_AUTORADIOBUTTON, 14, 66, 249, 8, "Advanced"),
              control(1003, "STATIC", SS_LEFT | WS_GROUP, 7, 80, 200, 8),
              control(1023, "COMBOBOX", CBS_DROPDOWNLIST | WS_TABSTOP, 7, 90, 95, 60),
          })) {}

    std::string m_strFolder;
    int m_nCheck = BST_UNCHECKED;
    int m_nRadio = -1;
    int m_nIndex = -1;

    bool OnInitDialog() override {
        auto* list = GetDlgItem<CComboBox>(1023);
        list->AddString("zero");
        list->AddString("one");
        return CDialog::OnInitDialog();
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, 1007, m_strFolder);
        DDV_MaxChars(pDX, m_strFolder, 10);
        DDX_Check(pDX, 1011, m_nCheck);
        DDX_Radio(pDX, 1018, m_nRadio);
        DDX_CBIndex(pDX, 1023, m_nIndex);
    }
};

class DataExchange : public ui_test::ui_fixture {
protected:
    ui_test::parent_window m_parent;
    CExchangeDialog m_dialog;
    void SetUp() override {
        ASSERT_TRUE(m_dialog.Create(&m_parent));
        m_dialog.ShowWindow(SW_SHOW);
    }
};

}  // namespace

TEST_F(DataExchange, LoadsTheControlsFromTheMembers) {
    m_dialog.m_strFolder = "/opt/Vintrel";
    m_dialog.m_nCheck = BST_CHECKED;
    m_dialog.m_nRadio = 1;
    m_dialog.m_nIndex = 1;
    ASSERT_TRUE(m_dialog.UpdateData(false));
    EXPECT_EQ(m_dialog.GetDlgItemText(1007), "/opt/Vintrel");
    EXPECT_EQ(m_dialog.GetDlgItem<CEdit>(1007)->GetLimitText(), 10);
    EXPECT_EQ(m_dialog.IsDlgButtonChecked(1011), BST_CHECKED);
    EXPECT_EQ(m_dialog.GetCheckedRadioButton(1018, 1019), 1019);
    EXPECT_EQ(m_dialog.IsDlgButtonChecked(1018), BST_UNCHECKED);
    EXPECT_EQ(m_dialog.GetDlgItem<CComboBox>(1023)->GetCurSel(), 1);

    m_dialog.m_nRadio = -1;  // none: a program may clear an exclusive group
    ASSERT_TRUE(m_dialog.UpdateData(false));
    EXPECT_EQ(m_dialog.GetCheckedRadioButton(1018, 1019), 0);
}

TEST_F(DataExchange, SavesWhatTheUserChose) {
    m_dialog.SetDlgItemText(1007, "/srv/app");
    static_cast<QAbstractButton*>(m_dialog.GetDlgItem(1011)->GetSafeHwnd())->click();
    static_cast<QAbstractButton*>(m_dialog.GetDlgItem(1019)->GetSafeHwnd())->click();
    static_cast<QAbstractButton*>(m_dialog.GetDlgItem(1018)->GetSafeHwnd())->click();  // the group keeps one
    m_dialog.GetDlgItem<CComboBox>(1023)->SetCurSel(0);
    ASSERT_TRUE(m_dialog.UpdateData(true));
    EXPECT_EQ(m_dialog.m_strFolder, "/srv/app");
    EXPECT_EQ(m_dialog.m_nCheck, BST_CHECKED);
    EXPECT_EQ(m_dialog.m_nRadio, 0);
    EXPECT_EQ(m_dialog.GetCheckedRadioButton(1018, 1019), 1018);
    EXPECT_EQ(m_dialog.m_nIndex, 0);

    // Ten characters of two bytes each are ten characters.
    m_dialog.SetDlgItemText(1007, "éééééééééé");
    EXPECT_TRUE(m_dialog.UpdateData(true));
    EXPECT_EQ(m_dialog.m_strFolder, "éééééééééé");
}

TEST_F(DataExchange, ATooLongTextIsRefusedWithTheFrameworkTextAndKeepsTheFocus) {
    CWinApp app("Installer – Quillon 7.02b");
    m_dialog.m_strFolder = "short";
    m_dialog.SetDlgItemText(1007, "01234567890");  // the program's text is never cut
    EXPECT_EQ(m_dialog.GetDlgItemText(1007), "01234567890");
    m_dialog.GetDlgItem(1011)->SetFocus();

    message_box_script script;
    EXPECT_FALSE(m_dialog.UpdateData(true));
    ASSERT_EQ(script.records().size(), 1u);
    EXPECT_EQ(script.records()[0].text, "Enter no more than 10 characters.");
    EXPECT_EQ(script.records()[0].caption, "Installer – Quillon 7.02b");
    EXPECT_EQ(script.records()[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);

    auto* edit = static_cast<QLineEdit*>(m_dialog.GetDlgItem(1007)->GetSafeHwnd());
    EXPECT_EQ(m_dialog.GetSafeHwnd()->window()->focusWidget(), edit);
    EXPECT_EQ(edit->selectedText(), "01234567890");
}

TEST_F(DataExchange, AnExchangeWithAControlThatDoesNotExistIsAProgramError) {
    class CWrongId : public CDialog {
    public:
        CWrongId() : CDialog(ui_test::child_template({})) {}

    protected:
        void DoDataExchange(CDataExchange* pDX) override {
            std::string text;
            DDX_Text(pDX, 4711, text);
        }
    };
    CWrongId dialog;
    EXPECT_THROW(dialog.Create(&m_parent), std::invalid_argument);
}

TEST_F(DataExchange, ARadioGroupRunsFromItsFirstButtonToTheNextGroupStart) {
    EXPECT_EQ(m_dialog.GetRadioGroup(1018).size(), 2u);  // the label 1003 starts the next group
    EXPECT_EQ(m_dialog.GetRadioGroup(1019).size(), 1u);
    EXPECT_TRUE(m_dialog.GetRadioGroup(1011).empty());  // a check box starts no radio group
}
