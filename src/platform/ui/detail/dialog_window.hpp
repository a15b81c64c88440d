// The Qt window of a modal dialog: turns the close box and Escape into the dialog's IDCANCEL, a
// right click into its system menu, and refuses to be maximised.
#pragma once

#include <QDialog>

namespace platform::ui {
class CDialog;
}

namespace platform::ui::detail {

class dialog_window : public QDialog {
public:
    dialog_window(CDialog& dialog, QWidget* owner, bool minimizeBox);

    CDialog& dialog() const { return m_dialog; }

    // Qt's done() without the close event it would otherwise send.
    void end(int result) { done(result); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CDialog& m_dialog;
};

// Alt+Space opens the system menu of the dialog that has the keyboard, wherever the focus is in it.
// Installed on the application once.
class system_menu_shortcut : public QObject {
public:
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

}  // namespace platform::ui::detail
