// Builds a control's widget and its window object from a template entry. Each control class makes
// its own widgets (next to the class); make_control picks the maker by window class.
#pragma once

#include "platform/resources/dialog_template.hpp"

#include <QRect>

#include <functional>
#include <memory>

class QWidget;

namespace platform::ui {
class CWnd;
}

namespace platform::ui::detail {

struct control_context {
    QWidget* parent = nullptr;  // the dialog's widget
    CWnd* dialog = nullptr;
    QRect rect;  // the template's rectangle in pixels
    // Delivers a notification (BN_CLICKED, ...) of this control to its dialog.
    std::function<void(unsigned code)> notify;
};

using control_maker = std::unique_ptr<CWnd> (*)(const platform::resources::control_template&, const control_context&);

std::unique_ptr<CWnd> make_button(const platform::resources::control_template&, const control_context&);
std::unique_ptr<CWnd> make_static(const platform::resources::control_template&, const control_context&);
std::unique_ptr<CWnd> make_edit(const platform::resources::control_template&, const control_context&);
std::unique_ptr<CWnd> make_combo_box(const platform::resources::control_template&, const control_context&);
std::unique_ptr<CWnd> make_combo_box_ex(const platform::resources::control_template&, const control_context&);
std::unique_ptr<CWnd> make_progress(const platform::resources::control_template&, const control_context&);
std::unique_ptr<CWnd> make_tree(const platform::resources::control_template&, const control_context&);

// Null for a window class the framework does not know.
std::unique_ptr<CWnd> make_control(const platform::resources::control_template& control,
                                   const control_context& context);

// Focus policy and enabled state common to every control.
void apply_common_styles(QWidget* widget, const platform::resources::control_template& control);

}  // namespace platform::ui::detail
