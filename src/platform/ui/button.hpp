// Push buttons, check boxes, radio buttons and group boxes. Stands in for the BUTTON class with
// BM_GETCHECK and BM_SETCHECK.
#pragma once

#include "platform/ui/window.hpp"

namespace platform::ui {

class CButton : public CWnd {
public:
    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE; push buttons and group boxes are unchecked.
    int GetCheck() const;
    void SetCheck(int nCheck);
    // The BS_ type of the template (BS_PUSHBUTTON, BS_AUTORADIOBUTTON, ...).
    unsigned GetButtonType() const;
    bool IsRadioButton() const;

    void SetWindowText(const std::string& text) override;
};

}  // namespace platform::ui
