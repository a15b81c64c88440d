// The wizard host and the installer's main window: it owns the six pages, shows one at a time in its
// page area and drives them with Back, Next (Install on the install page) and Exit. It decides the
// page order (quick mode skips the folder and shortcut pages), the buttons' captions and states, the
// question asked on an early exit, and its own size, which fits the largest page.
#pragma once

#include "platform/ui/dialog.hpp"
#include "startup/refreshable_window.hpp"
#include "wizard/dlg_end.hpp"
#include "wizard/dlg_install.hpp"
#include "wizard/dlg_mode.hpp"
#include "wizard/dlg_path.hpp"
#include "wizard/dlg_shortcut.hpp"
#include "wizard/dlg_start.hpp"

#include <array>

class CInstallDlg : public platform::ui::CDialog, public CRefreshableWindow {
public:
    static constexpr unsigned IDD = 102;
    static constexpr int PageCount = 6;
    // Page indices, in wizard order.
    static constexpr int StartPage = 0;
    static constexpr int ModePage = 1;
    static constexpr int PathPage = 2;
    static constexpr int ShortcutPage = 3;
    static constexpr int InstallPage = 4;
    static constexpr int EndPage = 5;
    // The system menu's About item.
    static constexpr unsigned IDM_ABOUTBOX = 16;

    explicit CInstallDlg(platform::ui::CWnd* pParent = nullptr);

    bool OnInitDialog() override;
    // Leaves the current page (saving it; a refused save keeps it) and shows the page at index, or
    // the nearest one quick mode allows in the direction of the move. False when the current page
    // refused to be left.
    bool GoToPage(int index);
    void UpdateButtons();
    // Caption, About item, buttons, then every page, in the current language.
    void RefreshTexts() override;

    void OnOK() override;
    void OnCancel() override;
    void OnSysCommand(unsigned nID) override;

    int GetCurrentPage() const { return m_nCurrent; }
    CWizardPage& GetPage(int index) const { return *m_pages.at(static_cast<std::size_t>(index)); }

protected:
    const platform::ui::CMessageMap* GetMessageMap() const override;
    void OnBack();
    // The Install button's run: the install page's installation. Tests put their own run here.
    virtual bool RunInstallation();

    CDlgStart m_dlgStart;
    CDlgMode m_dlgMode;
    CDlgPath m_dlgPath;
    CDlgShortcut m_dlgShortcut;
    CDlgInstall m_dlgInstall;
    CDlgEnd m_dlgEnd;

private:
    bool CreatePages();
    void LayOutPages();
    // Makes room for the pages' texts (CWizardPage::FitTexts): the page area grows downwards by what
    // the most grown page needs. The host never shrinks.
    void FitPagesToTexts();
    // The window grows by (dx, dy): the banner grows down, the separator widens and moves down, the
    // buttons move.
    void GrowWindowBy(int dx, int dy);
    void BuildSystemMenu();
    void EnableButton(int nID, bool bEnable);

    std::array<CWizardPage*, PageCount> m_pages;
    int m_nCurrent = -1;
};
