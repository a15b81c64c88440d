#include "platform/ui/edit.hpp"

#include "platform/ui/detail/control_factory.hpp"
#include "platform/ui/detail/multiline_edit.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/framework_constants.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QValidator>

#include <algorithm>

namespace platform::ui {
namespace detail {

// Refuses typing that makes the text longer than the limit; a text already longer (set by the
// program) may still be shortened.
class length_limit : public QValidator {
public:
    length_limit(QLineEdit* edit) : QValidator(edit) {
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this](const QString& text) { m_accepted = static_cast<int>(text.size()); });
    }
    void set_limit(int limit) { m_limit = limit; }
    State validate(QString& input, int&) const override {
        const auto size = static_cast<int>(input.size());
        return m_limit <= 0 || size <= m_limit || size <= m_accepted ? Acceptable : Invalid;
    }

private:
    int m_limit = 0;
    int m_accepted = 0;
};

multiline_edit::multiline_edit(QWidget* parent) : QPlainTextEdit(parent) {
    document()->setDocumentMargin(0);
    // The margins lie outside the viewport; they take the text background too.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void multiline_edit::set_margins(int left, int right) {
    setViewportMargins(left, 0, right, 0);
}

namespace {

void send_pending_resize_events(QWidget* widget) {
    if (widget->testAttribute(Qt::WA_PendingResizeEvent)) {
        widget->setAttribute(Qt::WA_PendingResizeEvent, false);
        QResizeEvent event(widget->size(), QSize());
        QCoreApplication::sendEvent(widget, &event);
    }
    for (QObject* child : widget->children()) {
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow()) {
            send_pending_resize_events(w);
        }
    }
}

}  // namespace

void multiline_edit::lay_out_now() {
    send_pending_resize_events(this);
}

}  // namespace detail

namespace {

detail::multiline_edit* multiline(QWidget* widget) {
    return dynamic_cast<detail::multiline_edit*>(widget);
}

// A Windows position counts each line end as two characters.
int to_qt_position(const QString& text, int position) {
    int qt = 0;
    for (int win = 0; qt < text.size() && win < position; ++qt) {
        win += text[qt] == u'\n' ? 2 : 1;
    }
    return qt;
}

int to_windows_position(const QString& text, int position) {
    int win = 0;
    for (int qt = 0; qt < position && qt < text.size(); ++qt) {
        win += text[qt] == u'\n' ? 2 : 1;
    }
    return win;
}

// Read-only boxes show the dialog's background, as on Windows.
void show_read_only(QWidget* widget, bool readOnly) {
    QPalette palette = widget->palette();
    const QPalette standard = QApplication::palette(widget);
    palette.setColor(QPalette::Base, readOnly ? standard.color(QPalette::Window) : standard.color(QPalette::Base));
    widget->setPalette(palette);
}

}  // namespace

bool CEdit::IsMultiLine() const {
    return (m_dwStyle & ES_MULTILINE) != 0;
}

void CEdit::SetReadOnly(bool bReadOnly) {
    m_dwStyle = bReadOnly ? (m_dwStyle | ES_READONLY) : (m_dwStyle & ~ES_READONLY);
    QWidget* widget = GetSafeHwnd();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setReadOnly(bReadOnly);
    } else if (auto* text = multiline(widget)) {
        text->setReadOnly(bReadOnly);
    }
    if (widget) {
        show_read_only(widget, bReadOnly);
    }
}

bool CEdit::IsReadOnly() const {
    return (m_dwStyle & ES_READONLY) != 0;
}

void CEdit::LimitText(int nChars) {
    m_nLimit = std::max(nChars, 0);
    if (auto* line = qobject_cast<QLineEdit*>(GetSafeHwnd())) {
        if (auto* limit = dynamic_cast<detail::length_limit*>(const_cast<QValidator*>(line->validator()))) {
            limit->set_limit(m_nLimit);
        }
    }
}

int CEdit::GetLimitText() const {
    return m_nLimit;
}

void CEdit::SetSel(int nStart, int nEnd, bool bNoScroll) {
    QWidget* widget = GetSafeHwnd();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        const int length = static_cast<int>(line->text().size());
        if (nStart < 0) {
            line->deselect();
            return;
        }
        const int start = std::min(nStart, length);
        const int end = nEnd < 0 ? length : std::min(nEnd, length);
        line->setSelection(start, end - start);
    } else if (auto* text = multiline(widget)) {
        QTextCursor cursor = text->textCursor();
        if (nStart < 0) {
            cursor.clearSelection();
        } else {
            const QString plain = text->toPlainText();
            const int end = nEnd < 0 ? static_cast<int>(plain.size()) : to_qt_position(plain, nEnd);
            cursor.setPosition(to_qt_position(plain, nStart));
            cursor.setPosition(end, QTextCursor::KeepAnchor);
        }
        text->setTextCursor(cursor);
        if (!bNoScroll) {
            ScrollCaret();
        }
    }
}

void CEdit::GetSel(int& nStart, int& nEnd) const {
    nStart = nEnd = 0;
    const QWidget* widget = GetSafeHwnd();
    if (const auto* line = qobject_cast<const QLineEdit*>(widget)) {
        nStart = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        nEnd = line->hasSelectedText() ? line->selectionEnd() : line->cursorPosition();
    } else if (const auto* text = dynamic_cast<const detail::multiline_edit*>(widget)) {
        const QString plain = text->toPlainText();
        const QTextCursor cursor = text->textCursor();
        nStart = to_windows_position(plain, cursor.selectionStart());
        nEnd = to_windows_position(plain, cursor.selectionEnd());
    }
}

void CEdit::ReplaceSel(const std::string& text, bool /*bCanUndo*/) {
    QWidget* widget = GetSafeHwnd();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->insert(detail::to_qstring(text));
    } else if (auto* edit = multiline(widget)) {
        detail::program_change change(edit);
        QTextCursor cursor = edit->textCursor();
        cursor.insertText(detail::to_qt_lines(text));
        edit->setTextCursor(cursor);
    }
}

void CEdit::ScrollCaret() {
    if (auto* text = multiline(GetSafeHwnd())) {
        text->lay_out_now();
        text->ensureCursorVisible();
    }
}

bool CEdit::LineScroll(int nLines, int nChars) {
    auto* text = multiline(GetSafeHwnd());
    if (!text) {
        return false;
    }
    text->lay_out_now();
    QScrollBar* vertical = text->verticalScrollBar();
    vertical->setValue(vertical->value() + nLines);
    if (nChars != 0) {
        QScrollBar* horizontal = text->horizontalScrollBar();
        horizontal->setValue(horizontal->value() + nChars * QFontMetrics(text->font()).averageCharWidth());
    }
    return true;
}

int CEdit::GetFirstVisibleLine() const {
    auto* text = multiline(GetSafeHwnd());
    if (!text) {
        return 0;
    }
    text->lay_out_now();
    return text->first_visible_line();
}

int CEdit::GetLineCount() const {
    const auto* text = dynamic_cast<const detail::multiline_edit*>(GetSafeHwnd());
    if (!text) {
        return 1;
    }
    if (text->lineWrapMode() == QPlainTextEdit::NoWrap) {
        return text->document()->blockCount();
    }
    int lines = 0;
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
        lines += std::max(block.layout() ? block.layout()->lineCount() : 1, 1);
    }
    return lines;
}

void CEdit::SetMargins(int nLeft, int nRight) {
    m_margins = {nLeft, nRight};
    QWidget* widget = GetSafeHwnd();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setTextMargins(nLeft, 0, nRight, 0);
    } else if (auto* text = multiline(widget)) {
        text->set_margins(nLeft, nRight);
    }
}

CEdit::Margins CEdit::GetMargins() const {
    return m_margins;
}

void CEdit::SetWindowText(const std::string& text) {
    QWidget* widget = GetSafeHwnd();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(detail::to_qstring(text));
    } else if (auto* edit = multiline(widget)) {
        detail::program_change change(edit);
        edit->setPlainText(detail::to_qt_lines(text));
    }
}

std::string CEdit::GetWindowText() const {
    const QWidget* widget = GetSafeHwnd();
    if (const auto* line = qobject_cast<const QLineEdit*>(widget)) {
        return detail::to_utf8(line->text());
    }
    if (const auto* text = dynamic_cast<const detail::multiline_edit*>(widget)) {
        return detail::to_windows_lines(text->toPlainText());
    }
    return {};
}

CRect CEdit::GetClientRect() const {
    QWidget* widget = GetSafeHwnd();
    if (auto* text = multiline(widget)) {
        text->lay_out_now();
        QRect inside = text->contentsRect();
        const int bar = text->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, text);
        if (text->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) {
            inside.setWidth(inside.width() - bar);
        }
        if (text->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ||
            (text->horizontalScrollBarPolicy() == Qt::ScrollBarAsNeeded &&
             text->horizontalScrollBar()->isVisibleTo(text))) {
            inside.setHeight(inside.height() - bar);
        }
        return {0, 0, std::max(inside.width(), 0), std::max(inside.height(), 0)};
    }
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        const int frame =
            line->hasFrame() ? line->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, line) : 0;
        return {0, 0, std::max(line->width() - 2 * frame, 0), std::max(line->height() - 2 * frame, 0)};
    }
    return CWnd::GetClientRect();
}

namespace detail {

std::unique_ptr<CWnd> make_edit(const platform::resources::control_template& control, const control_context& context) {
    const bool border = (control.style & WS_BORDER) || (control.ex_style & WS_EX_CLIENTEDGE);
    const Qt::Alignment alignment = (control.style & ES_CENTER)  ? Qt::AlignHCenter
                                    : (control.style & ES_RIGHT) ? Qt::AlignRight
                                                                 : Qt::AlignLeft;
    QWidget* widget = nullptr;
    if (control.style & ES_MULTILINE) {
        auto* text = new multiline_edit(context.parent);
        text->setFrameStyle(border ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
        text->setLineWrapMode((control.style & (ES_AUTOHSCROLL | WS_HSCROLL)) ? QPlainTextEdit::NoWrap
                                                                              : QPlainTextEdit::WidgetWidth);
        // An edit box shows the scroll bars of its style all the time. Scrolling sideways on its own
        // only follows the caret, which a reader of a read-only log never moves: while a line is
        // longer than the box, a horizontal bar shows, so that its end can be read.
        text->setVerticalScrollBarPolicy((control.style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        text->setHorizontalScrollBarPolicy((control.style & WS_HSCROLL)       ? Qt::ScrollBarAlwaysOn
                                           : (control.style & ES_AUTOHSCROLL) ? Qt::ScrollBarAsNeeded
                                                                              : Qt::ScrollBarAlwaysOff);
        text->setTabChangesFocus(true);
        QObject::connect(text, &QPlainTextEdit::textChanged, text, [text, notify = context.notify] {
            if (text->program_changes == 0) {
                notify(EN_CHANGE);
            }
        });
        widget = text;
    } else {
        auto* line = new QLineEdit(context.parent);
        line->setFrame(border);
        line->setAlignment(alignment | Qt::AlignVCenter);
        line->setValidator(new length_limit(line));
        if (control.style & ES_PASSWORD) {
            line->setEchoMode(QLineEdit::Password);
        }
        QObject::connect(line, &QLineEdit::textChanged, line, [notify = context.notify] { notify(EN_CHANGE); });
        widget = line;
    }
    auto window = std::make_unique<CEdit>();
    window->Attach(widget, false, control.id, control.style, control.ex_style);
    widget->setGeometry(context.rect);
    window->SetMargins(2, 2);
    window->SetWindowText(control.text);
    if (control.style & ES_READONLY) {
        window->SetReadOnly(true);
    }
    apply_common_styles(widget, control);
    return window;
}

}  // namespace detail
}  // namespace platform::ui
