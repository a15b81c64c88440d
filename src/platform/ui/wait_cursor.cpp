#include "platform/ui/wait_cursor.hpp"

#include <QCursor>
#include <QGuiApplication>

namespace platform::ui {

CWaitCursor::CWaitCursor() {
    if (qGuiApp) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_bShown = true;
    }
}

CWaitCursor::~CWaitCursor() {
    if (m_bShown && qGuiApp) {
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace platform::ui
