// Conversion between the program's UTF-8 text and the UTF-16 that file formats and Windows-shaped
// interfaces carry (MultiByteToWideChar/WideCharToMultiByte with CP_UTF8).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::text {

// Lenient: ill-formed input never fails, each bad sequence becomes U+FFFD, so no text is silently
// dropped.
std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view utf16);

// Strict, for names that must come back exactly as they went (archive entries): empty when the input
// is not well-formed (an unpaired surrogate; an overlong, truncated or surrogate UTF-8 sequence; a
// value beyond Unicode), since such a name has no faithful counterpart.
std::optional<std::u16string> utf8_to_utf16_strict(std::string_view utf8);
std::optional<std::string> utf16_to_utf8_strict(std::u16string_view utf16);

// UTF-16 code units from and to the little-endian bytes that files carry; an odd last byte is no unit.
std::u16string utf16le_units(std::string_view bytes);
std::string utf16le_bytes(std::u16string_view units);

// wchar_t text is UTF-32 here; the code-page conversions produce it.
std::wstring utf8_to_wide(std::string_view utf8);
std::string wide_to_utf8(std::wstring_view wide);

}  // namespace platform::text
