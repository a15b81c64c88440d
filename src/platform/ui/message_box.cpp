#include "platform/ui/message_box.hpp"

#include "platform/ui/application.hpp"
#include "platform/ui/detail/dialog_units.hpp"
#include "platform/ui/detail/framework_texts.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/window.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <string_view>
#include <utility>
#include <vector>

namespace platform::ui {
namespace {

message_box_script* g_script = nullptr;

struct box_button {
    int id;
    const char* text;
};

std::vector<box_button> buttons_of(unsigned type) {
    namespace t = detail::texts;
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {{IDOK, t::ok}, {IDCANCEL, t::cancel}};
        case MB_ABORTRETRYIGNORE:
            return {{IDABORT, t::abort}, {IDRETRY, t::retry}, {IDIGNORE, t::ignore}};
        case MB_YESNOCANCEL:
            return {{IDYES, t::yes}, {IDNO, t::no}, {IDCANCEL, t::cancel}};
        case MB_YESNO:
            return {{IDYES, t::yes}, {IDNO, t::no}};
        case MB_RETRYCANCEL:
            return {{IDRETRY, t::retry}, {IDCANCEL, t::cancel}};
        case MB_CANCELTRYCONTINUE:
            return {{IDCANCEL, t::cancel}, {IDTRYAGAIN, t::try_again}, {IDCONTINUE, t::continue_}};
        default:
            return {{IDOK, t::ok}};
    }
}

// A button's label in the desktop's language: Qt's own translations (loaded with the application)
// know the standard buttons under their own source texts; a label they do not translate stays ours.
QString button_label(const char* text) {
    namespace t = detail::texts;
    const std::pair<const char*, const char*> qt_sources[] = {
        {t::ok, "OK"},       {t::cancel, "Cancel"}, {t::yes, "&Yes"},      {t::no, "&No"},
        {t::retry, "Retry"}, {t::abort, "Abort"},   {t::ignore, "Ignore"},
    };
    for (const auto& [ours, source] : qt_sources) {
        if (std::string_view(ours) == text) {
            const QString translated = QCoreApplication::translate("QPlatformTheme", source);
            if (translated != QLatin1String(source)) {
                return translated;
            }
        }
    }
    return QString::fromUtf8(text);
}

std::size_t default_index(unsigned type, std::size_t count) {
    const std::size_t wanted = (type & MB_DEFMASK) >> 8;
    return wanted < count ? wanted : 0;
}

QMessageBox::Icon icon_of(unsigned type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int show_box(QWidget* owner, const std::string& text, const std::string& caption, unsigned type,
             const std::vector<box_button>& buttons) {
    QMessageBox box(owner);
    box.setFont(detail::default_dialog_font());
    box.setWindowTitle(detail::to_qstring(caption));
    box.setText(detail::to_qt_lines(text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(icon_of(type));
    if (type & MB_RTLREADING) {
        box.setLayoutDirection(Qt::RightToLeft);
    }
    if (type & MB_RIGHT) {
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    std::vector<std::pair<QPushButton*, int>> pushes;
    for (const auto& button : buttons) {
        // One role for all keeps the Windows order of the buttons.
        pushes.emplace_back(box.addButton(button_label(button.text), QMessageBox::ActionRole), button.id);
    }
    box.setDefaultButton(pushes[default_index(type, pushes.size())].first);
    for (const auto& [push, id] : pushes) {
        if (id == IDCANCEL || (pushes.size() == 1 && id == IDOK)) {
            box.setEscapeButton(push);
        }
    }
    box.exec();
    for (const auto& [push, id] : pushes) {
        if (box.clickedButton() == push) {
            return id;
        }
    }
    return IDCANCEL;
}

}  // namespace

int MessageBox(CWnd* pOwner, const std::string& text, const std::optional<std::string>& caption, unsigned nType) {
    const std::string title = caption.value_or(detail::texts::default_caption);
    const auto buttons = buttons_of(nType);
    QWidget* owner = pOwner && pOwner->GetSafeHwnd() ? pOwner->GetSafeHwnd()->window() : nullptr;
    if (message_box_script* script = message_box_script::active()) {
        return script->take({text, title, nType, owner != nullptr, 0, false},
                            buttons[default_index(nType, buttons.size())].id);
    }
    // A box may be needed before the program has made its application (a start-up failure).
    std::optional<application_instance> temporary;
    if (!qApp) {
        temporary.emplace();
    }
    return show_box(owner, text, title, nType, buttons);
}

int AfxMessageBox(const std::string& text, unsigned nType) {
    CWnd* owner = AfxGetMainWnd();
    if (owner && !owner->IsWindowVisible()) {
        owner = nullptr;
    }
    return MessageBox(owner, text, AfxGetAppName(), nType);
}

message_box_script::message_box_script(std::initializer_list<int> answers) : m_answers(answers), m_previous(g_script) {
    g_script = this;
}

message_box_script::~message_box_script() {
    g_script = m_previous;
}

message_box_script* message_box_script::active() {
    return g_script;
}

int message_box_script::take(message_box_record record, int defaultAnswer) {
    record.scripted = !m_answers.empty();
    record.answer = record.scripted ? m_answers.front() : defaultAnswer;
    if (record.scripted) {
        m_answers.pop_front();
    }
    m_records.push_back(record);
    return record.answer;
}

}  // namespace platform::ui
