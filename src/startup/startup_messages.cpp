#include "startup/startup_messages.hpp"

#include "platform/ui/application.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/message_box.hpp"
#include "platform/ui/window.hpp"

namespace ui = platform::ui;

int ShowProcessMessage(const std::string& text, unsigned type) {
    return ui::MessageBox(nullptr, text, std::nullopt, type);
}

int ShowAppMessage(const std::string& text, unsigned type) {
    const ui::CWnd* owner = ui::AfxGetMainWnd();
    if (owner && owner->GetSafeHwnd() && owner->IsLayoutRTL()) {
        type |= ui::MB_RTLREADING;
    }
    return ui::AfxMessageBox(text, type);
}
