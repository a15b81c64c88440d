#include "platform/advapi/wide_text.hpp"

#include "platform/advapi/errors.hpp"
#include "platform/text/utf_convert.hpp"

namespace platform::advapi {

std::string to_utf8(const WCHAR* text) {
    auto utf8 = text::utf16_to_utf8_strict(text);
    if (!utf8) {
        fail(ERROR_INVALID_NAME);
    }
    return std::move(*utf8);
}

}  // namespace platform::advapi
