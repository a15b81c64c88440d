#include "platform/text/utf_convert.hpp"

#include <algorithm>

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace platform::text {

std::u16string utf8_to_utf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        if (U_IS_BMP(c)) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(U16_LEAD(c)));
            out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
        }
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    const auto* units = reinterpret_cast<const UChar*>(utf16.data());
    const auto length = static_cast<int32_t>(utf16.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U16_NEXT_OR_FFFD(units, i, length, c);
        char buffer[U8_MAX_LENGTH];
        int32_t used = 0;
        U8_APPEND_UNSAFE(buffer, used, c);
        out.append(buffer, static_cast<std::size_t>(used));
    }
    return out;
}

std::wstring utf8_to_wide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

std::string wide_to_utf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (const wchar_t w : wide) {
        auto c = static_cast<UChar32>(w);
        if (c < 0 || c > 0x10FFFF || U_IS_SURROGATE(c)) {
            c = 0xFFFD;
        }
        char buffer[U8_MAX_LENGTH];
        int32_t used = 0;
        U8_APPEND_UNSAFE(buffer, used, c);
        out.append(buffer, static_cast<std::size_t>(used));
    }
    return out;
}

std::string fold_case(std::string_view utf8) {
    // Most names are ASCII; their folding needs no conversion.
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string folded(utf8);
        for (char& c : folded) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return folded;
    }
    std::u16string units = utf8_to_utf16(utf8);
    std::u16string folded(units.size() * 3 + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), static_cast<int32_t>(folded.size()),
                                         reinterpret_cast<const UChar*>(units.data()),
                                         static_cast<int32_t>(units.size()), U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) {
        return std::string(utf8);
    }
    folded.resize(static_cast<std::size_t>(length));
    return utf16_to_utf8(folded);
}

}  // namespace platform::text
