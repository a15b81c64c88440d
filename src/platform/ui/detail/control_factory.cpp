#include "platform/ui/detail/control_factory.hpp"

#include "platform/ui/framework_constants.hpp"
#include "platform/ui/window.hpp"

#include <QWidget>

#include <QString>

#include <utility>

namespace platform::ui::detail {

std::unique_ptr<CWnd> make_control(const platform::resources::control_template& control,
                                   const control_context& context) {
    static const std::pair<const char*, control_maker> makers[] = {
        {"BUTTON", make_button},
        {"STATIC", make_static},
        {"EDIT", make_edit},
        {"COMBOBOX", make_combo_box},
        {"ComboBoxEx32", make_combo_box_ex},
        {"msctls_progress32", make_progress},
        {"SysTreeView32", make_tree},
    };
    const QString name = QString::fromStdString(control.window_class);
    for (const auto& [known, maker] : makers) {
        if (name.compare(QLatin1String(known), Qt::CaseInsensitive) == 0) {
            return maker(control, context);
        }
    }
    return nullptr;
}

void apply_common_styles(QWidget* widget, const platform::resources::control_template& control) {
    if (widget->focusPolicy() != Qt::NoFocus) {
        widget->setFocusPolicy((control.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    }
    widget->setEnabled(!(control.style & WS_DISABLED));
    widget->setVisible(control.style & WS_VISIBLE);
}

}  // namespace platform::ui::detail
