#include "platform/registry/value.hpp"

#include "platform/text/utf_convert.hpp"

#include <cstdio>

namespace platform::registry {
namespace {

// The UTF-16 code units of little-endian bytes; an odd last byte is no unit.
std::u16string utf16_units(std::span<const std::uint8_t> bytes) {
    return text::utf16le_units(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

template <class Number>
std::optional<Number> little_endian(const value& v, value_type type) {
    if (v.type != type || v.data.size() != sizeof(Number)) {
        return std::nullopt;
    }
    Number number = 0;
    for (std::size_t i = sizeof(Number); i-- > 0;) {
        number = static_cast<Number>((number << 8) | v.data[i]);
    }
    return number;
}

template <class Number>
value little_endian_value(value_type type, Number number) {
    value v{type, {}};
    for (std::size_t i = 0; i < sizeof(Number); ++i) {
        v.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    }
    return v;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(c));
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    return out + '"';
}

std::string hex_bytes(const std::vector<std::uint8_t>& data) {
    std::string out;
    for (const std::uint8_t byte : data) {
        char text[4];
        std::snprintf(text, sizeof text, "%02x", byte);
        if (!out.empty()) {
            out += ' ';
        }
        out += text;
    }
    return out;
}

std::string byte_count(std::size_t size) {
    return std::to_string(size) + (size == 1 ? " byte" : " bytes");
}

// Strings whose bytes are not exactly what the text would be written as show those bytes too, so that
// a missing terminating null or data after it is never hidden.
std::string described_strings(const value& v, const std::vector<std::string>& strings, const value& canonical) {
    std::string out = type_name(v.type);
    for (const auto& s : strings) {
        out += ' ' + quoted(s);
    }
    if (v.data == canonical.data) {
        return out + " (" + byte_count(v.data.size()) + ")";
    }
    return out + " (" + byte_count(v.data.size()) + ": " + hex_bytes(v.data) + ")";
}

template <class Number>
std::string described_number(value_type type, Number number, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, " 0x%0*llx (%llu)", digits, static_cast<unsigned long long>(number),
                  static_cast<unsigned long long>(number));
    return type_name(type) + text;
}

}  // namespace

std::string type_name(value_type type) {
    switch (type) {
        case value_type::none:
            return "REG_NONE";
        case value_type::sz:
            return "REG_SZ";
        case value_type::expand_sz:
            return "REG_EXPAND_SZ";
        case value_type::binary:
            return "REG_BINARY";
        case value_type::dword:
            return "REG_DWORD";
        case value_type::multi_sz:
            return "REG_MULTI_SZ";
        case value_type::qword:
            return "REG_QWORD";
    }
    char text[32];
    std::snprintf(text, sizeof text, "type 0x%x", static_cast<unsigned>(type));
    return text;
}

std::vector<std::uint8_t> utf16le_bytes(std::string_view utf8, bool with_terminating_null) {
    std::u16string units = text::utf8_to_utf16(utf8);
    if (with_terminating_null) {
        units.push_back(u'\0');
    }
    const std::string bytes = text::utf16le_bytes(units);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::string text_of_utf16le(std::span<const std::uint8_t> bytes) {
    std::u16string units = utf16_units(bytes);
    if (const auto end = units.find(u'\0'); end != std::u16string::npos) {
        units.resize(end);
    }
    return text::utf16_to_utf8(units);
}

value string_value(std::string_view utf8, value_type type) {
    return {type, utf16le_bytes(utf8, true)};
}

value multi_string_value(const std::vector<std::string>& strings) {
    value v{value_type::multi_sz, {}};
    for (const auto& s : strings) {
        const auto bytes = utf16le_bytes(s, true);
        v.data.insert(v.data.end(), bytes.begin(), bytes.end());
    }
    v.data.insert(v.data.end(), {0, 0});
    return v;
}

value dword_value(std::uint32_t number) {
    return little_endian_value(value_type::dword, number);
}

value qword_value(std::uint64_t number) {
    return little_endian_value(value_type::qword, number);
}

value binary_value(std::span<const std::uint8_t> bytes) {
    return {value_type::binary, std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
}

std::optional<std::string> as_string(const value& v) {
    if (v.type != value_type::sz && v.type != value_type::expand_sz) {
        return std::nullopt;
    }
    return text_of_utf16le(v.data);
}

std::optional<std::vector<std::string>> as_multi_string(const value& v) {
    if (v.type != value_type::multi_sz) {
        return std::nullopt;
    }
    const std::u16string units = utf16_units(v.data);
    std::vector<std::string> strings;
    std::size_t start = 0;
    while (start < units.size()) {
        std::size_t end = units.find(u'\0', start);
        if (end == std::u16string::npos) {
            end = units.size();
        }
        if (end == start) {
            break;  // the empty string that ends the list
        }
        strings.push_back(text::utf16_to_utf8(std::u16string_view(units).substr(start, end - start)));
        start = end + 1;
    }
    return strings;
}

std::optional<std::uint32_t> as_dword(const value& v) {
    return little_endian<std::uint32_t>(v, value_type::dword);
}

std::optional<std::uint64_t> as_qword(const value& v) {
    return little_endian<std::uint64_t>(v, value_type::qword);
}

std::string describe(const value& v) {
    if (const auto text = as_string(v)) {
        return described_strings(v, {*text}, string_value(*text, v.type));
    }
    if (const auto strings = as_multi_string(v)) {
        return described_strings(v, *strings, multi_string_value(*strings));
    }
    if (const auto number = as_dword(v)) {
        return described_number(v.type, *number, 8);
    }
    if (const auto number = as_qword(v)) {
        return described_number(v.type, *number, 16);
    }
    const std::string size = "(" + byte_count(v.data.size()) + ")";
    return type_name(v.type) + ' ' + (v.data.empty() ? size : hex_bytes(v.data) + ' ' + size);
}

}  // namespace platform::registry
