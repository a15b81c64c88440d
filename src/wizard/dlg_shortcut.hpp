// Wizard page 3 (advanced mode): whether the installation makes the Start-menu shortcuts and the
// desktop shortcut, and in which Start-menu folder. The folder is shown relative to the Start menu
// and changes only through the folder browser, confined to the all-users Programs folder.
#pragma once

#include "wizard/wizard_page.hpp"

#include <string>

class CDlgShortcut : public CWizardPage {
public:
    static constexpr unsigned IDD = 134;

    CDlgShortcut() : CWizardPage(IDD) {}

    bool OnInitDialog() override;
    void RefreshTexts() override;
    void GrowBy(int dw, int dh) override;

protected:
    void DoDataExchange(platform::ui::CDataExchange* pDX) override;
    const platform::ui::CMessageMap* GetMessageMap() const override;
    void OnMenuCheck();
    void OnBrowse();

private:
    int m_nDesktop = 0;
    int m_nMenu = 0;
    std::string m_strRelativeFolder;  // the Start-menu folder relative to the base, as shown
    std::string m_strStartMenuBase;   // the all-users Start menu, else the user's; set at initialisation
};
