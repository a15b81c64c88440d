#include "startup/startup_error.hpp"

#include "platform/kernel/system_messages.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/resources/resource_module.hpp"
#include "platform/resources/string_table.hpp"
#include "platform/ui/framework_constants.hpp"
#include "startup/startup_ui.hpp"

namespace {

constexpr std::uint32_t kCustomerBit = 0x20000000;
constexpr std::uint32_t kOwnTextBit = 0x08000000;
constexpr auto kFailCode = static_cast<std::uint32_t>(platform::kernel::hresult::e_fail);

std::string FailText() {
    return platform::kernel::system_message_text(kFailCode).value_or("Error");
}

std::string SystemText(std::uint32_t code) {
    if (auto text = platform::kernel::system_message_text(code)) {
        return *text;
    }
    return FailText();
}

std::string OwnText(std::uint32_t number) {
    const auto text = platform::resources::load_string(platform::resources::resource_module::self(), number);
    return text && !text->empty() ? std::string(*text) : FailText();
}

void RemoveLineEnd(std::string& text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
}

}  // namespace

std::string StartupErrorText(std::uint32_t code) {
    std::string text;
    if ((code & kCustomerBit) && (code & kOwnTextBit)) {
        text = OwnText(code & 0xFFFF);
    } else if (code & kCustomerBit) {
        text = FailText();
    } else {
        text = SystemText(code);
    }
    RemoveLineEnd(text);
    return text;
}

void ReportStartupError(std::uint32_t code) {
    ShowAppMessage(StartupErrorText(code), platform::ui::MB_ICONWARNING | platform::ui::MB_OK);
}
