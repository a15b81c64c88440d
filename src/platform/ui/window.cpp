#include "platform/ui/window.hpp"

#include "platform/ui/application.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/picture.hpp"

#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace platform::ui {

struct CWnd::handle {
    QPointer<QWidget> widget;
    bool owned = false;
    QMetaObject::Connection destroyed;
};

namespace {

CRect to_crect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The frame a window manager puts around a top-level window; none before the window is shown.
QSize frame_extra(const QWidget* widget) {
    return widget->frameGeometry().size() - widget->geometry().size();
}

}  // namespace

CWnd::CWnd() : m_handle(std::make_unique<handle>()) {}

CWnd::~CWnd() {
    DestroyWindow();
}

QWidget* CWnd::GetSafeHwnd() const {
    return m_handle->widget.data();
}

void CWnd::Attach(QWidget* widget, bool owned, int id, std::uint32_t style, std::uint32_t exStyle) {
    DestroyWindow();
    m_handle->widget = widget;
    m_handle->owned = owned;
    m_nID = id;
    m_dwStyle = style;
    m_dwExStyle = exStyle;
    if (owned) {
        m_handle->destroyed = QObject::connect(widget, &QObject::destroyed, [this] { OnWindowDestroyed(); });
    }
}

void CWnd::DestroyWindow() {
    QObject::disconnect(m_handle->destroyed);
    QWidget* widget = m_handle->widget.data();
    const bool owned = m_handle->owned;
    m_handle->widget = nullptr;
    m_handle->owned = false;
    if (owned && widget) {
        OnWindowDestroyed();
        delete widget;
    }
}

void CWnd::OnWindowDestroyed() {
    m_handle->widget = nullptr;
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
}

std::uint32_t CWnd::GetStyle() const {
    std::uint32_t style = m_dwStyle & ~(WS_VISIBLE | WS_DISABLED);
    if (const QWidget* w = GetSafeHwnd()) {
        style |= w->isHidden() ? 0 : WS_VISIBLE;
        style |= w->testAttribute(Qt::WA_ForceDisabled) ? WS_DISABLED : 0;
    }
    return style;
}

void CWnd::SetWindowText(const std::string& text) {
    m_strText = text;
    if (QWidget* w = GetSafeHwnd(); w && w->isWindow()) {
        w->setWindowTitle(detail::to_qstring(text));
    }
}

std::string CWnd::GetWindowText() const {
    return m_strText;
}

bool CWnd::EnableWindow(bool bEnable) {
    QWidget* w = GetSafeHwnd();
    if (!w) {
        return false;
    }
    const bool wasDisabled = w->testAttribute(Qt::WA_ForceDisabled);
    w->setEnabled(bEnable);
    return wasDisabled;
}

bool CWnd::IsWindowEnabled() const {
    const QWidget* w = GetSafeHwnd();
    return w && !w->testAttribute(Qt::WA_ForceDisabled);
}

bool CWnd::ShowWindow(int nCmdShow) {
    QWidget* w = GetSafeHwnd();
    if (!w) {
        return false;
    }
    const bool wasVisible = !w->isHidden();
    switch (nCmdShow) {
        case SW_HIDE:
            w->hide();
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
            w->showMinimized();
            break;
        case SW_RESTORE:
        case SW_SHOWNORMAL:
            w->isWindow() ? w->showNormal() : w->show();
            break;
        default:
            w->show();
            break;
    }
    return wasVisible;
}

bool CWnd::IsWindowVisible() const {
    const QWidget* w = GetSafeHwnd();
    return w && w->isVisible();
}

bool CWnd::IsIconic() const {
    const QWidget* w = GetSafeHwnd();
    return w && w->isMinimized();
}

void CWnd::SetFocus() {
    if (QWidget* w = GetSafeHwnd()) {
        w->setFocus(Qt::OtherFocusReason);
    }
}

bool CWnd::IsLayoutRTL() const {
    const QWidget* w = GetSafeHwnd();
    return (m_dwExStyle & WS_EX_LAYOUTRTL) != 0 || (w && w->layoutDirection() == Qt::RightToLeft);
}

CRect CWnd::GetWindowRect() const {
    const QWidget* w = GetSafeHwnd();
    if (!w) {
        return {};
    }
    if (w->isWindow()) {
        return to_crect(w->frameGeometry());
    }
    return to_crect(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
}

CRect CWnd::GetClientRect() const {
    const QWidget* w = GetSafeHwnd();
    return w ? CRect{0, 0, w->width(), w->height()} : CRect{};
}

void CWnd::ScreenToClient(CPoint& point) const {
    if (const QWidget* w = GetSafeHwnd()) {
        const QPoint p = w->mapFromGlobal(QPoint(point.x, point.y));
        point = {p.x(), p.y()};
    }
}

void CWnd::ScreenToClient(CRect& rect) const {
    CPoint topLeft{rect.left, rect.top};
    ScreenToClient(topLeft);
    rect.OffsetRect(topLeft.x - rect.left, topLeft.y - rect.top);
}

void CWnd::ClientToScreen(CPoint& point) const {
    if (const QWidget* w = GetSafeHwnd()) {
        const QPoint p = w->mapToGlobal(QPoint(point.x, point.y));
        point = {p.x(), p.y()};
    }
}

void CWnd::ClientToScreen(CRect& rect) const {
    CPoint topLeft{rect.left, rect.top};
    ClientToScreen(topLeft);
    rect.OffsetRect(topLeft.x - rect.left, topLeft.y - rect.top);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, bool /*bRepaint*/) {
    SetWindowPos(x, y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::MoveWindow(const CRect& rect, bool bRepaint) {
    MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), bRepaint);
}

bool CWnd::SetWindowPos(int x, int y, int cx, int cy, unsigned nFlags) {
    QWidget* w = GetSafeHwnd();
    if (!w) {
        return false;
    }
    if (!(nFlags & SWP_NOSIZE)) {
        QSize size(std::max(cx, 0), std::max(cy, 0));
        if (w->isWindow()) {
            // Dialogs are not resizable by the user: the size a program gives is the only one.
            size = (size - frame_extra(w)).expandedTo(QSize(0, 0));
            w->setFixedSize(size);
        } else {
            w->resize(size);
        }
    }
    if (!(nFlags & SWP_NOMOVE)) {
        w->move(x, y);
    }
    if (nFlags & SWP_SHOWWINDOW) {
        w->show();
    } else if (nFlags & SWP_HIDEWINDOW) {
        w->hide();
    }
    return true;
}

CSize CWnd::GetTextExtent(const std::string& text) const {
    const QWidget* w = GetSafeHwnd();
    if (!w) {
        return {};
    }
    const QFontMetrics metrics(w->font());
    return {metrics.horizontalAdvance(detail::to_qstring(text)), metrics.height()};
}

void CWnd::SetIcon(const CPicture& icon, bool /*bBigIcon*/) {
    if (QWidget* w = GetSafeHwnd()) {
        w->window()->setWindowIcon(QIcon(QPixmap::fromImage(icon.Image())));
    }
}

}  // namespace platform::ui
