// Data exchange between a dialog's controls and its members, in both directions, with validation.
// Stands in for CDataExchange, DDX_Text, DDX_Check, DDX_Radio, DDX_CBIndex and DDV_MaxChars.
//
// A dialog's DoDataExchange calls these for each control; UpdateData(false) runs it to fill the
// controls, UpdateData(true) to read and validate them. A failed validation has told the user
// already; it puts the focus on the failing control (selecting an edit box's text) and makes
// UpdateData return false. A DDX function stores its member before the DDV function after it checks
// it, so a dialog passes its members on only once UpdateData has succeeded.
#pragma once

#include <string>

namespace platform::ui {

class CDialog;
class CWnd;

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, bool bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // The control with that id, remembered as the one a later validation refers to; throws
    // std::invalid_argument when the dialog has no such control (a mistake in the program).
    CWnd* PrepareCtrl(int nIDC);
    CWnd* PrepareEditCtrl(int nIDC);
    // Focus to the last prepared control, then ends the exchange with failure.
    [[noreturn]] void Fail();
    CWnd* GetLastControl() const { return m_pLastControl; }

    const bool m_bSaveAndValidate;
    CDialog* const m_pDlgWnd;

private:
    CWnd* m_pLastControl = nullptr;
    bool m_bEditLastControl = false;
};

// The control's text.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// The index of the checked radio button in the group that starts at nIDC (the WS_GROUP control
// and the controls up to the next WS_GROUP control, counting radio buttons only); -1: none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// The selected item of a combo box; -1: none.
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& value);
// After DDX_Text of an edit box: loading limits the box to nChars characters; saving refuses a longer
// text with the message "Enter no more than %1 characters.". Characters are UTF-16 code units.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars);

}  // namespace platform::ui
