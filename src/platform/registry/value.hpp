// Registry values as Windows stores them: a type number and the byte image of the data (REG_SZ is
// UTF-16LE, its size counting the terminating null when the writer counted it; REG_DWORD is four bytes,
// little-endian). Helpers convert between these images and the program's UTF-8 text and numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

// Any 32-bit type number may be stored; these are the ones with a meaning.
enum class value_type : std::uint32_t {
    none = 0,       // REG_NONE
    sz = 1,         // REG_SZ
    expand_sz = 2,  // REG_EXPAND_SZ
    binary = 3,     // REG_BINARY
    dword = 4,      // REG_DWORD
    multi_sz = 7,   // REG_MULTI_SZ
    qword = 11,     // REG_QWORD
};

// "REG_SZ", "REG_DWORD", ...; "type 0x..." for a number without a name.
std::string type_name(value_type type);

struct value {
    value_type type = value_type::none;
    std::vector<std::uint8_t> data;

    friend bool operator==(const value&, const value&) = default;
};

struct value_info {
    value_type type = value_type::none;
    std::uint32_t size = 0;  // bytes of data
};

// UTF-16LE bytes of UTF-8 text, optionally with the terminating null (two zero bytes). Ill-formed
// UTF-8 becomes U+FFFD.
std::vector<std::uint8_t> utf16le_bytes(std::string_view utf8, bool with_terminating_null);

// UTF-8 text of UTF-16LE bytes, up to the first null character or the end; an odd last byte is ignored.
std::string text_of_utf16le(std::span<const std::uint8_t> bytes);

// Values as the installer writes them; strings carry their terminating null.
value string_value(std::string_view utf8, value_type type = value_type::sz);
value multi_string_value(const std::vector<std::string>& strings);
value dword_value(std::uint32_t number);
value qword_value(std::uint64_t number);
value binary_value(std::span<const std::uint8_t> bytes);

// The text of a REG_SZ or REG_EXPAND_SZ value (never expanded); nothing for another type.
std::optional<std::string> as_string(const value& v);
// The strings of a REG_MULTI_SZ value, without the empty string that ends the list.
std::optional<std::vector<std::string>> as_multi_string(const value& v);
// The number of a REG_DWORD value of exactly four bytes, or a REG_QWORD value of exactly eight.
std::optional<std::uint32_t> as_dword(const value& v);
std::optional<std::uint64_t> as_qword(const value& v);

// One line for people: the type, then strings as quoted text with their byte size, numbers in
// hexadecimal and decimal, other data as hexadecimal bytes.
std::string describe(const value& v);

}  // namespace platform::registry
