#include "platform/ui/detail/dialog_window.hpp"

#include "platform/ui/dialog.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPointer>

namespace platform::ui::detail {

dialog_window::dialog_window(CDialog& dialog, QWidget* owner, bool minimizeBox)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint |
                         (minimizeBox ? Qt::WindowMinimizeButtonHint : Qt::WindowType(0))),
      m_dialog(dialog) {
    setSizeGripEnabled(false);
    system_menu_shortcut::install();
}

void dialog_window::closeEvent(QCloseEvent* event) {
    event->ignore();
    m_dialog.OnCloseRequest();
}

void dialog_window::reject() {
    m_dialog.OnCloseRequest();
}

void dialog_window::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->globalPos();
    m_dialog.TrackSystemMenu({at.x(), at.y()});
    event->accept();
}

void dialog_window::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized)) {
        setWindowState(windowState() & ~Qt::WindowMaximized);
    }
    QDialog::changeEvent(event);
}

void system_menu_shortcut::install() {
    static QPointer<system_menu_shortcut> installed;
    if (!installed && qApp) {
        installed = new system_menu_shortcut(qApp);
        qApp->installEventFilter(installed);
    }
}

bool system_menu_shortcut::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Space || key->modifiers() != Qt::AltModifier) {
        return false;
    }
    auto* window = dynamic_cast<dialog_window*>(static_cast<QWidget*>(watched)->window());
    if (!window) {
        return false;
    }
    const QPoint at = window->mapToGlobal(QPoint(0, 0));
    window->dialog().TrackSystemMenu({at.x(), at.y()});
    return true;
}

}  // namespace platform::ui::detail
