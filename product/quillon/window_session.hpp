// The main program's session on a display: one small window, titled with the product's name and
// version, showing the document the program was given, the program's version and a Quit button.
// The session ends when the window closes (the button or the window manager) or a termination
// signal arrives.
#pragma once

#include <QWidget>

#include <cstddef>
#include <functional>
#include <span>
#include <string>

namespace quillon {

class program_window : public QWidget {
public:
    // The texts come from the version block; document is empty when the program was given none.
    program_window(std::span<const std::byte> version_block, const std::string& document);

    // Called once the window has closed.
    void on_closed(std::function<void()> closed) { m_closed = std::move(closed); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> m_closed;
};

// Shows the window for the program's own version resource and runs until it closes or end_fd (the
// termination signals' descriptor) becomes readable. Makes the process's Qt application unless one
// exists.
void run_window_session(int end_fd, const std::string& document);

}  // namespace quillon
