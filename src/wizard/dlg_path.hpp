// Wizard page 2 (advanced mode): the installation folder, typed or picked with the folder browser.
// For an update or a reinstallation the folder is the installed product's and is shown read-only.
#pragma once

#include "wizard/wizard_page.hpp"

#include <string>

class CDlgPath : public CWizardPage {
public:
    static constexpr unsigned IDD = 133;

    CDlgPath() : CWizardPage(IDD) {}

    bool OnInitDialog() override;
    void RefreshTexts() override;
    void GrowBy(int dw, int dh) override;

protected:
    void DoDataExchange(platform::ui::CDataExchange* pDX) override;
    const platform::ui::CMessageMap* GetMessageMap() const override;
    void OnBrowse();

private:
    std::string m_strFolder;
};
