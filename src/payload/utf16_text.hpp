// UTF-16LE, the text encoding of the archive index, to and from the program's UTF-8.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace payload {

// `units` code units, little-endian, at `bytes`. Empty when they are not well-formed UTF-16 (an
// unpaired surrogate): such a name has no faithful file name here.
std::optional<std::string> utf16le_to_utf8(const char* bytes, std::size_t units);

// Empty when `text` is not well-formed UTF-8.
std::optional<std::u16string> utf8_to_utf16(std::string_view text);

}  // namespace payload
