#include "startup/startup_ui.hpp"

#include "platform/ui/application.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/message_box.hpp"
#include "platform/ui/picture.hpp"
#include "platform/ui/window.hpp"
#include "startup/console_messages.hpp"
#include "startup/refreshable_window.hpp"

#include <optional>

namespace ui = platform::ui;

namespace {

constexpr std::uint32_t kProgramIconId = 128;

}  // namespace

int ShowProcessMessage(const std::string& text, unsigned type) {
    if (ConsoleMessagesInUse()) {
        return ShowConsoleMessage(text, type);
    }
    return ui::MessageBox(nullptr, text, std::nullopt, type);
}

int ShowAppMessage(const std::string& text, unsigned type) {
    if (ConsoleMessagesInUse()) {
        return ShowConsoleMessage(text, type);
    }
    const ui::CWnd* owner = ui::AfxGetMainWnd();
    if (owner && owner->GetSafeHwnd() && owner->IsLayoutRTL()) {
        type |= ui::MB_RTLREADING;
    }
    return ui::AfxMessageBox(text, type);
}

void UseProgramIcon() {
    if (ConsoleMessagesInUse()) {
        return;  // no window will show it, and the image library is not to be started
    }
    static const std::optional<ui::CPicture> icon = ui::CPicture::LoadIcon(kProgramIconId);
    ui::CWinApp* app = ui::AfxGetApp();
    if (icon && app && ui::application_exists()) {
        app->SetAppIcon(*icon);
    }
}

void RefreshMainWindowTexts(ui::CWnd* mainWindow) {
    if (auto* window = dynamic_cast<CRefreshableWindow*>(mainWindow)) {
        window->RefreshTexts();
    }
}
