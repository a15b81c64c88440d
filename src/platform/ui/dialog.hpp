// Dialogs built from dialog template resources: modal dialogs and child dialogs placed in another
// dialog, their controls by id, data exchange, handlers by control id and notification, the default
// button and the system menu. Stands in for CDialog with DialogBoxIndirectParamW,
// CreateDialogIndirectParamW, EndDialog, GetDlgItem, SetDlgItemTextW, GetDlgItemTextW,
// CheckDlgButton, IsDlgButtonChecked, CheckRadioButton, GetCheckedRadioButton, DM_SETDEFID,
// DM_GETDEFID, MapDialogRect, PathSetDlgItemPathW, GetSystemMenu, WM_SYSCOMMAND, WM_INITMENUPOPUP and
// WM_GETMINMAXINFO (no maximising).
//
// Closing the window, Escape, the system menu's Close and the IDCANCEL button all send IDCANCEL,
// which OnCancel handles; none of them does anything while the dialog's IDCANCEL control is disabled.
// Enter presses the default button.
#pragma once

#include "platform/resources/dialog_template.hpp"
#include "platform/ui/menu.hpp"
#include "platform/ui/message_map.hpp"
#include "platform/ui/window.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::ui {

namespace detail {
class dialog_window;
}  // namespace detail

class CButton;
class CDataExchange;

class CDialog : public CWnd {
public:
    // A dialog from the template resource nIDTemplate of the running program, or from a template in
    // memory. pParentWnd owns a modal dialog (by default the application's main window).
    explicit CDialog(unsigned nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(platform::resources::dialog_template dialogTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Builds the window, runs OnInitDialog and waits until EndDialog; the window is destroyed before
    // it returns. Returns EndDialog's result, or -1 when the template is missing or malformed or
    // the application's quit request ended the wait.
    virtual int DoModal();
    // Builds the dialog as a child window of pParentWnd (a page in a host dialog) and runs
    // OnInitDialog. It is shown only when its template has WS_VISIBLE. False when the template is
    // missing or malformed or the parent has no window.
    bool Create(unsigned nIDTemplate, CWnd* pParentWnd);
    bool Create(CWnd* pParentWnd);
    // Ends a modal dialog with nResult (IDOK, IDCANCEL, ...); hides a child dialog.
    void EndDialog(int nResult);

    // Fills the controls (false) or reads and validates them (true) through DoDataExchange; false when
    // a validation failed.
    bool UpdateData(bool bSaveAndValidate = true);

    // The default runs the load direction of the data exchange; true puts the focus on the first
    // control that takes Tab, false leaves the focus where the function put it.
    virtual bool OnInitDialog();
    // The defaults: OnOK saves the data and ends with IDOK when it is valid; OnCancel ends with IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // System-menu commands: SC_CLOSE sends IDCANCEL, SC_MINIMIZE and SC_RESTORE act, SC_MAXIMIZE
    // and SC_SIZE do nothing (dialogs keep their size); other commands are the application's.
    virtual void OnSysCommand(unsigned nID);
    // Before the system menu shows: Restore is greyed unless the window is minimised, Minimize while
    // it is, Size and Maximize always, Close while IDCANCEL is disabled.
    virtual void OnInitMenuPopup(CMenu* pPopupMenu, bool bSysMenu);

    // The control with that id; null when there is none (several unaddressed -1 controls: the first).
    CWnd* GetDlgItem(int nID) const;
    template <class T>
    T* GetDlgItem(int nID) const {
        return dynamic_cast<T*>(GetDlgItem(nID));
    }
    // Every control of the dialog, in template order.
    std::vector<CWnd*> GetControls() const;
    // The radio buttons of the group that starts at nFirstID, in template order; empty when nFirstID
    // is not a radio button.
    std::vector<CButton*> GetRadioGroup(int nFirstID) const;

    // These do nothing (or read empty) for an id without a control.
    void SetDlgItemText(int nID, const std::string& text);
    std::string GetDlgItemText(int nID) const;
    // A path shortened with "..." in its middle so that it fits the control, its last component
    // kept whenever it fits.
    void SetDlgItemPath(int nID, const std::string& path);
    void CheckDlgButton(int nID, int nCheck);
    int IsDlgButtonChecked(int nID) const;
    // Checks nCheck and unchecks the other radio buttons with ids from nFirst to nLast.
    void CheckRadioButton(int nFirst, int nLast, int nCheck);
    // The id of the checked button among nFirst to nLast; 0 when none is checked.
    int GetCheckedRadioButton(int nFirst, int nLast) const;
    // The push button that Enter presses.
    void SetDefID(int nID);
    int GetDefID() const { return m_nDefID; }
    void GotoDlgCtrl(CWnd* pWndCtrl);

    // Dialog units of this dialog's font to pixels, edge by edge.
    CRect MapDialogRect(const CRect& rect) const;
    // The average character width and height of the dialog's font, in pixels.
    CSize GetBaseUnits() const { return {m_nBaseUnitX, m_nBaseUnitY}; }

    // The menu that Alt+Space and a right click on the dialog open: Restore, Size, Minimize,
    // Maximize, a separator and Close, and what the application adds. bRevert puts the default menu
    // back and returns null.
    CMenu* GetSystemMenu(bool bRevert = false);
    // Shows the system menu at a point of the screen, as Alt+Space and a right click do, and runs the
    // chosen command through OnSysCommand.
    void TrackSystemMenu(CPoint screen);

protected:
    // Called by UpdateData; the default exchanges nothing.
    virtual void DoDataExchange(CDataExchange* pDX);
    // This class's handlers: IDOK runs OnOK, IDCANCEL OnCancel.
    virtual const CMessageMap* GetMessageMap() const;
    // Delivers a notification of the control nID to its handler; false when none handles it.
    virtual bool OnCommand(int nID, unsigned nCode);

    void OnWindowDestroyed() override;

private:
    friend class detail::dialog_window;

    std::optional<platform::resources::dialog_template> LoadTemplate() const;
    bool BuildWindow(const platform::resources::dialog_template& dialogTemplate, QWidget* window);
    void FocusFirstTabStop();
    // A notification from a control or from the window: errors a handler throws are reported here,
    // so that they never cross the event loop.
    void Dispatch(int nID, unsigned nCode);
    // Close box, Escape, SC_CLOSE.
    void OnCloseRequest();

    unsigned m_nIDTemplate = 0;
    std::optional<platform::resources::dialog_template> m_template;
    CWnd* m_pOwnerWnd = nullptr;
    std::vector<std::unique_ptr<CWnd>> m_controls;
    std::optional<CMenu> m_sysMenu;
    int m_nBaseUnitX = 0;
    int m_nBaseUnitY = 0;
    int m_nDefID = 0;
    int m_nModalResult = -1;
    bool m_bEnded = false;
};

}  // namespace platform::ui
