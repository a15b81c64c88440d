// Wizard page 1: the quick installation (default folder and shortcuts, straight to the summary) or
// the advanced one, which also shows the folder and shortcut pages.
#pragma once

#include "wizard/wizard_page.hpp"

class CDlgMode : public CWizardPage {
public:
    static constexpr unsigned IDD = 136;

    CDlgMode() : CWizardPage(IDD) {}

    void RefreshTexts() override;
    void GrowBy(int dw, int dh) override;

protected:
    void DoDataExchange(platform::ui::CDataExchange* pDX) override;

private:
    int m_nMode = -1;  // 0 quick, 1 advanced; -1 before the first load
};
