// A page of the installation wizard: a child dialog that the host creates hidden in its page area and
// drives through one small contract: create, data exchange in both directions (UpdateData),
// RefreshTexts, GrowBy, show and hide. Texts that need more lines than the template gives them get
// room through FitTexts, which the host runs after every RefreshTexts.
#pragma once

#include "platform/ui/dialog.hpp"

#include <map>
#include <string>
#include <vector>

class CWizardPage : public platform::ui::CDialog {
public:
    using CDialog::CDialog;

    // The host gives every page the same area, the union of all pages: the page's controls take the
    // extra room, dw to the right and dh downwards (neither is negative).
    virtual void GrowBy(int dw, int dh) = 0;

    // Gives every static text that its rectangle cannot show whole, at its width, the height it
    // needs: the text grows downwards, the controls under it move down as much, a control around
    // it (a group box) grows with it. Returns how much lower the page's lowest control now reaches:
    // the host makes the page area that much taller. With texts that already fit it changes nothing
    // and returns 0, so texts that become shorter keep the room they had.
    int FitTexts();

protected:
    // Layout steps of GrowBy, without repainting; an id without a control is ignored.
    // The control's right edge moves by dw and its bottom edge by dh.
    void GrowControl(int nID, int dw, int dh);
    // The whole control moves by (dx, dy).
    void MoveControl(int nID, int dx, int dy);

    // Texts the control nID shows later, set by others than RefreshTexts (the installation's status
    // texts): FitTexts makes room for them as for the control's present text. Replaces what was
    // given before for that control.
    void KeepRoomFor(int nID, std::vector<std::string> texts);

private:
    // The height the control needs for its present text and the texts kept for it; 0 when it shows
    // no text.
    int NeededHeight(const platform::ui::CWnd& control) const;

    std::map<int, std::vector<std::string>> m_laterTexts;
};
