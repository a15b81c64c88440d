// Wizard page 0: what this run will do (first installation, update, reinstallation or nothing, as
// start-up found the installed product), what the buttons do, and the language list with its flags.
// Choosing a language switches the installer's texts at once.
#pragma once

#include "platform/ui/image_list.hpp"
#include "wizard/wizard_page.hpp"

class CDlgStart : public CWizardPage {
public:
    static constexpr unsigned IDD = 132;

    CDlgStart() : CWizardPage(IDD) {}

    bool OnInitDialog() override;
    void RefreshTexts() override;
    void GrowBy(int dw, int dh) override;

protected:
    const platform::ui::CMessageMap* GetMessageMap() const override;
    void OnLanguageChange();

private:
    void FillLanguageList();

    platform::ui::CImageList m_flags;  // the list's pictures, owned here
};
