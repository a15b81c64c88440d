#include "security/hresult.hpp"

#include "platform/kernel/system_messages.hpp"
#include "platform/kernel/win32_error.hpp"

#include <cstdio>
#include <string>

namespace security {

namespace {

class hresult_error_category final : public std::error_category {
public:
    const char* name() const noexcept override { return "hresult"; }

    std::string message(int value) const override {
        char number[32];
        std::snprintf(number, sizeof number, "HRESULT 0x%08X", static_cast<std::uint32_t>(value));
        if (auto text = platform::kernel::system_message_text(static_cast<std::uint32_t>(value))) {
            return *text + " (" + number + ")";
        }
        return number;
    }

    std::error_condition default_error_condition(int value) const noexcept override {
        return {static_cast<int>(win32_code_of(value)), platform::kernel::win32_category()};
    }
};

}  // namespace

const std::error_category& hresult_category() noexcept {
    static const hresult_error_category category;
    return category;
}

}  // namespace security
