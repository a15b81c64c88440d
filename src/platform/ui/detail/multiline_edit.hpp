// The widget of a multi-line edit box: a plain-text editor with the Windows edit's margins, whose
// program-made changes send no change notification.
#pragma once

#include <QPlainTextEdit>
#include <QScrollBar>

namespace platform::ui::detail {

class multiline_edit : public QPlainTextEdit {
public:
    explicit multiline_edit(QWidget* parent);

    void set_margins(int left, int right);
    // The vertical scroll bar counts lines, so that scrolling by lines and this line agree.
    int first_visible_line() const { return verticalScrollBar()->value(); }
    // Lays the widget out now even while it is hidden, so that sizes and scrolling are current.
    void lay_out_now();

    // Counted while the program changes the text.
    int program_changes = 0;
};

// Counts a program-made change for its scope.
class program_change {
public:
    explicit program_change(multiline_edit* edit) : m_edit(edit) {
        if (m_edit) {
            ++m_edit->program_changes;
        }
    }
    ~program_change() {
        if (m_edit) {
            --m_edit->program_changes;
        }
    }
    program_change(const program_change&) = delete;
    program_change& operator=(const program_change&) = delete;

private:
    multiline_edit* m_edit;
};

}  // namespace platform::ui::detail
