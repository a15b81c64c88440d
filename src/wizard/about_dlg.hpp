// The About box of the wizard's system menu: the program icon, the product and legal lines from the
// installer's version resource, and the publisher's contact lines.
#pragma once

#include "platform/ui/dialog.hpp"

class CAboutDlg : public platform::ui::CDialog {
public:
    static constexpr unsigned IDD = 100;

    explicit CAboutDlg(platform::ui::CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}

    bool OnInitDialog() override;
};
