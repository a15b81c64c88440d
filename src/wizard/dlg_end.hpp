// Wizard page 5: reached only after a successful installation, it says that the installation is
// complete.
#pragma once

#include "wizard/wizard_page.hpp"

class CDlgEnd : public CWizardPage {
public:
    static constexpr unsigned IDD = 137;

    CDlgEnd() : CWizardPage(IDD) {}

    void RefreshTexts() override;
    void GrowBy(int dw, int dh) override;

protected:
    void DoDataExchange(platform::ui::CDataExchange* pDX) override;
};
