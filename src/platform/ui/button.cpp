#include "platform/ui/button.hpp"

#include "platform/ui/detail/control_factory.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/framework_constants.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace platform::ui {

unsigned CButton::GetButtonType() const {
    return m_dwStyle & BS_TYPEMASK;
}

bool CButton::IsRadioButton() const {
    const unsigned type = GetButtonType();
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

int CButton::GetCheck() const {
    const auto* button = qobject_cast<const QAbstractButton*>(GetSafeHwnd());
    if (!button || !button->isCheckable()) {
        return BST_UNCHECKED;
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(button); box && box->checkState() == Qt::PartiallyChecked) {
        return BST_INDETERMINATE;
    }
    return button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck) {
    auto* button = qobject_cast<QAbstractButton*>(GetSafeHwnd());
    if (!button || !button->isCheckable()) {
        return;
    }
    if (auto* box = qobject_cast<QCheckBox*>(button); box && nCheck == BST_INDETERMINATE && box->isTristate()) {
        box->setCheckState(Qt::PartiallyChecked);
        return;
    }
    // An exclusive group refuses to uncheck its checked button; a program may.
    QButtonGroup* group = button->group();
    const bool exclusive = group && group->exclusive();
    if (exclusive) {
        group->setExclusive(false);
    }
    button->setChecked(nCheck != BST_UNCHECKED);
    if (exclusive) {
        group->setExclusive(true);
    }
}

void CButton::SetWindowText(const std::string& text) {
    m_strText = text;
    if (auto* button = qobject_cast<QAbstractButton*>(GetSafeHwnd())) {
        button->setText(detail::to_qt_lines(text));
    } else if (auto* box = qobject_cast<QGroupBox*>(GetSafeHwnd())) {
        box->setTitle(detail::to_qt_lines(text));
    }
}

namespace detail {

std::unique_ptr<CWnd> make_button(const platform::resources::control_template& control,
                                  const control_context& context) {
    QWidget* widget = nullptr;
    const unsigned type = control.style & BS_TYPEMASK;
    switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: {
            auto* box = new QCheckBox(context.parent);
            box->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
            QObject::connect(box, &QAbstractButton::clicked, box, [notify = context.notify] { notify(BN_CLICKED); });
            widget = box;
            break;
        }
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: {
            // The dialog puts the buttons of one WS_GROUP run into one exclusive group.
            auto* radio = new QRadioButton(context.parent);
            radio->setAutoExclusive(false);
            QObject::connect(radio, &QAbstractButton::clicked, radio,
                             [notify = context.notify] { notify(BN_CLICKED); });
            widget = radio;
            break;
        }
        case BS_GROUPBOX: {
            auto* box = new QGroupBox(context.parent);
            box->setFocusPolicy(Qt::NoFocus);
            widget = box;
            break;
        }
        default: {
            auto* push = new QPushButton(context.parent);
            push->setDefault(type == BS_DEFPUSHBUTTON);
            QObject::connect(push, &QAbstractButton::clicked, push, [notify = context.notify] { notify(BN_CLICKED); });
            widget = push;
            break;
        }
    }
    auto window = std::make_unique<CButton>();
    window->Attach(widget, false, control.id, control.style, control.ex_style);
    window->SetWindowText(control.text);
    widget->setGeometry(context.rect);
    apply_common_styles(widget, control);
    return window;
}

}  // namespace detail
}  // namespace platform::ui
