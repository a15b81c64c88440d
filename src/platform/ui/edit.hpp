// Edit boxes, single-line and multi-line. Stands in for the EDIT class with EM_SETREADONLY,
// EM_LIMITTEXT, EM_SETSEL, EM_GETSEL, EM_REPLACESEL, EM_SCROLLCARET, EM_LINESCROLL,
// EM_GETFIRSTVISIBLELINE, EM_GETLINECOUNT, EM_SETMARGINS and EM_GETMARGINS.
//
// Character positions count as the Windows control does: a line end is two characters (CR LF), and
// texts are read with CR LF line ends.
#pragma once

#include "platform/ui/window.hpp"

namespace platform::ui {

class CEdit : public CWnd {
public:
    struct Margins {
        int nLeft = 0;
        int nRight = 0;
    };

    bool IsMultiLine() const;
    void SetReadOnly(bool bReadOnly = true);
    bool IsReadOnly() const;
    // Limits what the user may type, in characters (UTF-16 code units); 0 removes the limit. A text
    // set by the program is never cut.
    void LimitText(int nChars);
    int GetLimitText() const;

    // nStart -1 removes the selection; nEnd -1 selects to the end; positions past the end mean the
    // end. The caret goes to nEnd and is scrolled into view unless bNoScroll.
    void SetSel(int nStart, int nEnd, bool bNoScroll = false);
    void GetSel(int& nStart, int& nEnd) const;
    void ReplaceSel(const std::string& text, bool bCanUndo = false);
    void ScrollCaret();
    // Scrolls a multi-line box by whole lines and by average character widths.
    bool LineScroll(int nLines, int nChars = 0);
    int GetFirstVisibleLine() const;
    int GetLineCount() const;

    // Space in pixels between the box's client edges and its text.
    void SetMargins(int nLeft, int nRight);
    Margins GetMargins() const;

    void SetWindowText(const std::string& text) override;
    std::string GetWindowText() const override;
    // Inside the border, without the scroll bars, the margins included.
    CRect GetClientRect() const override;

private:
    int m_nLimit = 0;
    Margins m_margins;
};

}  // namespace platform::ui
