#include "platform/ui/static_control.hpp"

#include "platform/ui/detail/control_factory.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/picture.hpp"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace platform::ui {
namespace {

constexpr int standard_icon_size = 32;

bool is_text_type(std::uint32_t type) {
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

// The text as the label shows it: Qt line ends, and no mnemonic marks unless SS_NOPREFIX.
QString shown_text(const std::string& text, std::uint32_t style) {
    const QString lines = detail::to_qt_lines(text);
    return (style & SS_NOPREFIX) ? lines : detail::without_mnemonics(lines);
}

}  // namespace

void CStatic::SetWindowText(const std::string& text) {
    m_strText = text;
    auto* label = qobject_cast<QLabel*>(GetSafeHwnd());
    if (!label || !is_text_type(m_dwStyle & SS_TYPEMASK)) {
        return;
    }
    label->setText(shown_text(text, m_dwStyle));
}

CSize CStatic::GetNeededSize(const std::string& text) const {
    const auto* label = qobject_cast<const QLabel*>(GetSafeHwnd());
    if (!label || !is_text_type(m_dwStyle & SS_TYPEMASK) || text.empty()) {
        return {};
    }
    // A label like this one, never shown, measures the text by the same rules that lay it out and
    // paint it (frame, margin, the indent a framed label takes).
    QLabel probe;
    probe.setFont(label->font());
    probe.setFrameStyle(label->frameStyle());
    probe.setLineWidth(label->lineWidth());
    probe.setContentsMargins(label->contentsMargins());
    probe.setMargin(label->margin());
    probe.setIndent(label->indent());
    probe.setAlignment(label->alignment());
    probe.setTextFormat(Qt::PlainText);
    probe.setWordWrap(label->wordWrap());
    probe.setText(shown_text(text, m_dwStyle));
    if (!probe.wordWrap()) {
        const QSize size = probe.sizeHint();
        return {size.width(), size.height()};
    }
    // Wrapped, the longest word is the narrowest the text can be.
    return {probe.minimumSizeHint().width(), probe.heightForWidth(label->width())};
}

void CStatic::SetBitmap(const CPicture& bitmap) {
    ShowPicture(bitmap);
}

void CStatic::SetIcon(const CPicture& icon) {
    ShowPicture(icon.Scaled(standard_icon_size, standard_icon_size));
}

void CStatic::ShowPicture(const CPicture& picture) {
    auto* label = qobject_cast<QLabel*>(GetSafeHwnd());
    if (!label) {
        return;
    }
    label->setPixmap(QPixmap::fromImage(picture.Image()));
    if (!(m_dwStyle & SS_CENTERIMAGE)) {
        label->resize(picture.Width(), picture.Height());
    }
}

namespace detail {

std::unique_ptr<CWnd> make_static(const platform::resources::control_template& control,
                                  const control_context& context) {
    const std::uint32_t type = control.style & SS_TYPEMASK;
    QFrame* widget = nullptr;
    if (is_text_type(type) || type == SS_BITMAP || type == SS_ICON) {
        auto* label = new QLabel(context.parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP);
        Qt::Alignment horizontal = type == SS_CENTER  ? Qt::AlignHCenter
                                   : type == SS_RIGHT ? Qt::AlignRight
                                                      : Qt::AlignLeft;
        if (type == SS_BITMAP || type == SS_ICON) {
            horizontal = (control.style & SS_CENTERIMAGE) ? Qt::AlignHCenter : Qt::AlignLeft;
        }
        label->setAlignment(horizontal | ((control.style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
        widget = label;
    } else {
        widget = new QFrame(context.parent);
        switch (type) {
            case SS_ETCHEDHORZ:
                widget->setFrameStyle(QFrame::HLine | QFrame::Sunken);
                break;
            case SS_ETCHEDVERT:
                widget->setFrameStyle(QFrame::VLine | QFrame::Sunken);
                break;
            case SS_ETCHEDFRAME:
                widget->setFrameStyle(QFrame::Box | QFrame::Sunken);
                break;
            default: {
                // Filled rectangles take their colours from the palette, as the system colours do.
                const QPalette::ColorRole role = type == SS_WHITERECT  ? QPalette::Base
                                                 : type == SS_GRAYRECT ? QPalette::Mid
                                                                       : QPalette::WindowText;
                widget->setBackgroundRole(role);
                widget->setAutoFillBackground(true);
                break;
            }
        }
    }
    if (control.style & SS_SUNKEN) {
        widget->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        widget->setLineWidth(1);
    }
    widget->setFocusPolicy(Qt::NoFocus);
    auto window = std::make_unique<CStatic>();
    window->Attach(widget, false, control.id, control.style, control.ex_style);
    widget->setGeometry(context.rect);
    window->SetWindowText(control.text);
    if (control.image_id != 0) {
        if (type == SS_ICON) {
            if (const auto icon = CPicture::LoadIcon(control.image_id)) {
                window->SetIcon(*icon);
            }
        } else if (const auto bitmap = CPicture::LoadBitmap(control.image_id)) {
            window->SetBitmap(*bitmap);
        }
    }
    apply_common_styles(widget, control);
    return window;
}

}  // namespace detail
}  // namespace platform::ui
