// A page of the installation wizard: a child dialog that the host creates hidden in its page area and
// drives through one small contract: create, data exchange in both directions (UpdateData),
// RefreshTexts, GrowBy, show and hide.
#pragma once

#include "platform/ui/dialog.hpp"

class CWizardPage : public platform::ui::CDialog {
public:
    using CDialog::CDialog;

    // The host gives every page the same area, the union of all pages: the page's controls take the
    // extra room, dw to the right and dh downwards (neither is negative).
    virtual void GrowBy(int dw, int dh) = 0;

protected:
    // Layout steps of GrowBy, without repainting; an id without a control is ignored.
    // The control's right edge moves by dw and its bottom edge by dh.
    void GrowControl(int nID, int dw, int dh);
    // The whole control moves by (dx, dy).
    void MoveControl(int nID, int dx, int dy);
};
