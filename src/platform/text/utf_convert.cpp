#include "platform/text/utf_convert.hpp"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace platform::text {

namespace {

enum class ill_formed { replace, reject };

// The code point at `i`, moving `i` past it; negative when the sequence there is ill-formed.
UChar32 next_code_point(const uint8_t* bytes, int32_t& i, int32_t length) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    return c;
}

// In UTF-16 an unpaired surrogate is what is ill-formed.
UChar32 next_code_point(const UChar* units, int32_t& i, int32_t length) {
    UChar32 c = 0;
    U16_NEXT(units, i, length, c);
    return U_IS_SURROGATE(c) ? -1 : c;
}

// Calls `each` with every code point of the text. At an ill-formed sequence: U+FFFD under
// `replace`; false at once under `reject`.
template <typename Unit, typename Each>
bool decode(const Unit* units, std::size_t size, ill_formed mode, Each each) {
    const auto length = static_cast<int32_t>(size);
    for (int32_t i = 0; i < length;) {
        UChar32 c = next_code_point(units, i, length);
        if (c < 0) {
            if (mode == ill_formed::reject) {
                return false;
            }
            c = 0xFFFD;
        }
        each(c);
    }
    return true;
}

const uint8_t* bytes_of(std::string_view utf8) {
    return reinterpret_cast<const uint8_t*>(utf8.data());
}

void append_utf8(std::string& out, UChar32 c) {
    char buffer[U8_MAX_LENGTH];
    int32_t used = 0;
    U8_APPEND_UNSAFE(buffer, used, c);
    out.append(buffer, static_cast<std::size_t>(used));
}

void append_utf16(std::u16string& out, UChar32 c) {
    if (U_IS_BMP(c)) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        out.push_back(static_cast<char16_t>(U16_LEAD(c)));
        out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
}

std::optional<std::u16string> to_utf16(std::string_view utf8, ill_formed mode) {
    std::u16string out;
    out.reserve(utf8.size());
    if (!decode(bytes_of(utf8), utf8.size(), mode, [&out](UChar32 c) { append_utf16(out, c); })) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> to_utf8(std::u16string_view utf16, ill_formed mode) {
    std::string out;
    out.reserve(utf16.size());
    if (!decode(reinterpret_cast<const UChar*>(utf16.data()), utf16.size(), mode,
                [&out](UChar32 c) { append_utf8(out, c); })) {
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::u16string utf8_to_utf16(std::string_view utf8) {
    return *to_utf16(utf8, ill_formed::replace);
}

std::string utf16_to_utf8(std::u16string_view utf16) {
    return *to_utf8(utf16, ill_formed::replace);
}

std::optional<std::u16string> utf8_to_utf16_strict(std::string_view utf8) {
    return to_utf16(utf8, ill_formed::reject);
}

std::optional<std::string> utf16_to_utf8_strict(std::u16string_view utf16) {
    return to_utf8(utf16, ill_formed::reject);
}

std::u16string utf16le_units(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return units;
}

std::string utf16le_bytes(std::u16string_view units) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::wstring utf8_to_wide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    decode(bytes_of(utf8), utf8.size(), ill_formed::replace,
           [&out](UChar32 c) { out.push_back(static_cast<wchar_t>(c)); });
    return out;
}

std::string wide_to_utf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (const wchar_t w : wide) {
        const auto c = static_cast<UChar32>(w);
        append_utf8(out, c < 0 || c > 0x10FFFF || U_IS_SURROGATE(c) ? 0xFFFD : c);
    }
    return out;
}

}  // namespace platform::text
