// A window of the dialog framework: a dialog or one of its controls, over a Qt widget. Stands in for
// CWnd with SetWindowTextW, GetWindowTextW, EnableWindow, ShowWindow, SetFocus, GetWindowRect,
// GetClientRect, ScreenToClient, ClientToScreen, MoveWindow, SetWindowPos, IsIconic, WM_SETICON and
// GetTextExtentPoint32W on the window's font.
#pragma once

#include "platform/ui/geometry.hpp"

#include <cstdint>
#include <memory>
#include <string>

class QWidget;

namespace platform::ui {

class CPicture;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The Qt widget; null before the window is created and after it is destroyed.
    QWidget* GetSafeHwnd() const;
    // Takes a widget: owned windows (dialogs) are deleted with this object, controls belong to their
    // dialog's widget. Used by the framework when it builds a window.
    void Attach(QWidget* widget, bool owned, int id, std::uint32_t style, std::uint32_t exStyle);

    int GetDlgCtrlID() const { return m_nID; }
    // The template's styles with the current visibility, enabled state and read-only state.
    std::uint32_t GetStyle() const;

    virtual void SetWindowText(const std::string& text);
    virtual std::string GetWindowText() const;

    // Both return the previous state, as EnableWindow (true: was disabled) and ShowWindow (true: was
    // visible) do.
    bool EnableWindow(bool bEnable = true);
    bool IsWindowEnabled() const;
    bool ShowWindow(int nCmdShow);
    bool IsWindowVisible() const;
    bool IsIconic() const;
    void SetFocus();
    bool IsLayoutRTL() const;

    // Screen coordinates, the frame included for a top-level window.
    CRect GetWindowRect() const;
    virtual CRect GetClientRect() const;
    void ScreenToClient(CRect& rect) const;
    void ScreenToClient(CPoint& point) const;
    void ClientToScreen(CRect& rect) const;
    void ClientToScreen(CPoint& point) const;
    // In the parent's client coordinates, or on the screen for a top-level window (frame included).
    // Qt repaints lazily, so a move never paints at once whatever bRepaint says.
    void MoveWindow(int x, int y, int nWidth, int nHeight, bool bRepaint = true);
    void MoveWindow(const CRect& rect, bool bRepaint = true);
    // SWP_NOMOVE, SWP_NOSIZE, SWP_SHOWWINDOW and SWP_HIDEWINDOW take effect; z-order, redraw and
    // activation flags have nothing to change here.
    bool SetWindowPos(int x, int y, int cx, int cy, unsigned nFlags);

    // The extent of a text in the window's font.
    CSize GetTextExtent(const std::string& text) const;
    void SetIcon(const CPicture& icon, bool bBigIcon);

    // Reloads every user-visible text of the window (after a language change). The framework never
    // calls it; an application's windows override it.
    virtual void RefreshTexts() {}

protected:
    void DestroyWindow();
    // Called when the widget has gone, whoever deleted it.
    virtual void OnWindowDestroyed();
    // Keeps a text the widget cannot hold unchanged (mnemonics, line ends).
    std::string m_strText;
    std::uint32_t m_dwStyle = 0;

private:
    struct handle;
    std::unique_ptr<handle> m_handle;
    int m_nID = 0;
    std::uint32_t m_dwExStyle = 0;
};

}  // namespace platform::ui
