#include "payload/utf16_text.hpp"

#include <cstdint>

namespace payload {

namespace {

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool is_high_surrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool is_low_surrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

std::optional<std::string> utf16le_to_utf8(const char* bytes, std::size_t units) {
    const auto unit_at = [bytes](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    std::string out;
    out.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        char32_t c = unit_at(i);
        if (is_high_surrogate(c)) {
            if (i + 1 == units || !is_low_surrogate(unit_at(i + 1))) {
                return std::nullopt;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (unit_at(++i) - 0xDC00);
        } else if (is_low_surrogate(c)) {
            return std::nullopt;
        }
        append_utf8(out, c);
    }
    return out;
}

std::optional<std::u16string> utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
            minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (text.size() - i < length) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        if (c < minimum || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            return std::nullopt;
        }
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        i += length;
    }
    return out;
}

}  // namespace payload
