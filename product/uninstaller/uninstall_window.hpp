// The uninstaller's window, for a person at a display: it asks whether to remove the product (unless
// told not to ask), offers Retry and Cancel while the product runs, shows progress while removing,
// and ends with what was removed, what was kept and why, and what could not be removed with the
// system's reason. Every text comes from the uninstaller's string tables (uninstaller_texts).
//
// Told not to ask (a script's --yes), it needs no answer at all: it shows progress and closes by
// itself once done, or at once while the product runs.
//
// The window does not remove anything itself: `uninstall_steps` does. Its exit code follows the
// uninstaller's: 0 all removed, 1 something could not be removed, 3 the product was running and the
// person cancelled, 4 the person declined (nothing was removed).
#pragma once

#include "uninstall_run.hpp"
#include "uninstaller_texts.hpp"

#include <QWidget>

#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QVBoxLayout;

namespace quillon {

struct uninstall_steps {
    std::function<bool()> product_running;
    // Removes the installation, telling `progress` how far it is.
    std::function<uninstall_report(const std::function<void(std::size_t, std::size_t)>& progress)> remove;
};

inline constexpr int exit_declined = 4;

class uninstall_window : public QWidget {
public:
    uninstall_window(const uninstaller_texts& texts, const std::string& product, uninstall_steps steps, bool ask);

    // Asks, or goes straight on to removing.
    void start();
    int exit_code() const { return m_exit_code; }
    // Called once the window has closed.
    void on_closed(std::function<void()> closed) { m_closed = std::move(closed); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void show_question();
    void try_removing();
    void show_running();
    void remove();
    void show_result(const uninstall_report& report);
    // Empties the window for the next step; the message on top, then the buttons the step adds.
    void clear(const std::string& message);
    void add_buttons(const std::vector<std::pair<uninstaller_text, std::function<void()>>>& buttons);

    const uninstaller_texts& m_texts;
    std::string m_product;
    uninstall_steps m_steps;
    bool m_ask;
    bool m_busy = false;
    int m_exit_code = exit_declined;
    QVBoxLayout* m_layout;
    QWidget* m_page = nullptr;
    std::function<void()> m_closed;
};

// Shows the window and runs until it closes; its exit code. Makes the process's Qt application.
int run_uninstall_window(const uninstaller_texts& texts, const std::string& product, uninstall_steps steps, bool ask);

}  // namespace quillon
