// Static controls: text, pictures, filled rectangles and etched lines. Stands in for the STATIC
// class with STM_SETIMAGE (SetBitmap, SetIcon).
#pragma once

#include "platform/ui/window.hpp"

namespace platform::ui {

class CPicture;

class CStatic : public CWnd {
public:
    // Show a picture. The control takes the picture's size unless its style centres the image
    // (SS_CENTERIMAGE); an icon is shown at the standard icon size, 32 by 32 pixels.
    void SetBitmap(const CPicture& bitmap);
    void SetIcon(const CPicture& icon);

    void SetWindowText(const std::string& text) override;

    // The size a text needs to show whole in this control at its current width: wrapped as the
    // control wraps it, in its font, frame and margins included. The height is what the control must
    // have; a width larger than the control's means a word longer than a line (or, without word wrap,
    // a line longer than the control). Empty for no text and for controls that show no text.
    CSize GetNeededSize() const { return GetNeededSize(m_strText); }
    CSize GetNeededSize(const std::string& text) const;

private:
    void ShowPicture(const CPicture& picture);
};

}  // namespace platform::ui
