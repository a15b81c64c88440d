#include "wizard/wizard_page.hpp"

namespace {

using platform::ui::CRect;
using platform::ui::CWnd;

// The control's rectangle in the page's client coordinates.
CRect ControlRect(const CWnd& page, const CWnd& control) {
    CRect rect = control.GetWindowRect();
    page.ScreenToClient(rect);
    return rect;
}

}  // namespace

void CWizardPage::GrowControl(int nID, int dw, int dh) {
    if (CWnd* control = GetDlgItem(nID)) {
        CRect rect = ControlRect(*this, *control);
        rect.right += dw;
        rect.bottom += dh;
        control->MoveWindow(rect, false);
    }
}

void CWizardPage::MoveControl(int nID, int dx, int dy) {
    if (CWnd* control = GetDlgItem(nID)) {
        CRect rect = ControlRect(*this, *control);
        rect.OffsetRect(dx, dy);
        control->MoveWindow(rect, false);
    }
}
