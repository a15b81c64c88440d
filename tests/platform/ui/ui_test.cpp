#include "ui_test.hpp"

#include "platform/resources/resource_module.hpp"
#include "platform/ui/application.hpp"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <memory>

namespace ui_test {
namespace {

class application_environment : public ::testing::Environment {
public:
    void make() {
        if (!m_app) {
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
            m_app = std::make_unique<platform::ui::application_instance>();
        }
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<platform::ui::application_instance> m_app;
};

application_environment* const environment =
    static_cast<application_environment*>(::testing::AddGlobalTestEnvironment(new application_environment));

}  // namespace

void ensure_application() {
    environment->make();
}

platform::resources::control_template control(int id, const char* window_class, std::uint32_t style, int x, int y,
                                              int cx, int cy, std::string text) {
    using namespace platform::resources::styles;
    return {id, window_class, std::move(text), 0, x, y, cx, cy, WS_CHILD | WS_VISIBLE | style, 0};
}

platform::resources::dialog_template popup_template(std::vector<platform::resources::control_template> controls, int cx,
                                                    int cy) {
    using namespace platform::resources::styles;
    platform::resources::dialog_template dialog;
    dialog.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog.cx = cx;
    dialog.cy = cy;
    dialog.caption = "Test";
    dialog.controls = std::move(controls);
    return dialog;
}

platform::resources::dialog_template child_template(std::vector<platform::resources::control_template> controls, int x,
                                                    int y, int cx, int cy) {
    using namespace platform::resources::styles;
    platform::resources::dialog_template dialog;
    dialog.style = DS_CONTROL | DS_SETFONT | WS_CHILD;
    dialog.x = x;
    dialog.y = y;
    dialog.cx = cx;
    dialog.cy = cy;
    dialog.controls = std::move(controls);
    return dialog;
}

platform::resources::dialog_template resource_template(unsigned id) {
    const auto bytes = platform::resources::resource_module::self().find(platform::resources::rt_dialog, id);
    if (!bytes) {
        ADD_FAILURE() << "no dialog template " << id;
        return {};
    }
    const auto dialog = platform::resources::decode_dialog(*bytes);
    if (!dialog) {
        ADD_FAILURE() << "dialog template " << id << " is malformed";
        return {};
    }
    return *dialog;
}

parent_window::parent_window() {
    auto* widget = new QWidget;
    widget->resize(800, 600);
    Attach(widget, true, 0, 0, 0);
    widget->show();
}

void when_modal(std::function<void()> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        // The offscreen platform activates no window by itself; focus follows activation.
        if (QWidget* modal = QApplication::activeModalWidget(); modal && !QApplication::activePopupWidget()) {
            QApplication::setActiveWindow(modal);
        }
        action();
    });
}

}  // namespace ui_test
