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

private:
    void ShowPicture(const CPicture& picture);
};

}  // namespace platform::ui
