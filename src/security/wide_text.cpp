#include "security/wide_text.hpp"

#include "security/hresult.hpp"

#include <unicode/ustring.h>

namespace security {

std::u16string to_utf16(const std::string& text) {
    if (text.find('\0') != std::string::npos) {
        throw_hresult(E_INVALIDARG);
    }
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) {
        throw_hresult(E_INVALIDARG);
    }
    std::u16string wide(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF8(wide.data(), length + 1, nullptr, text.data(), static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status)) {
        throw_hresult(E_INVALIDARG);
    }
    return wide;
}

}  // namespace security
