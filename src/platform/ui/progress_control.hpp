// The progress bar. Stands in for msctls_progress32 with PBM_SETRANGE32, PBM_GETRANGE, PBM_SETPOS and
// PBM_GETPOS.
#pragma once

#include "platform/ui/window.hpp"

namespace platform::ui {

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int nLower, int nUpper);
    void GetRange(int& nLower, int& nUpper) const;
    // Returns the previous position; the position is kept inside the range.
    int SetPos(int nPos);
    int GetPos() const;
};

}  // namespace platform::ui
