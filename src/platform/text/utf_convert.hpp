// Conversion between the program's UTF-8 text and the UTF-16 that file formats and Windows-shaped
// interfaces carry (MultiByteToWideChar/WideCharToMultiByte with CP_UTF8).
// Ill-formed input never fails: each bad sequence becomes U+FFFD, so no text is silently dropped.
#pragma once

#include <string>
#include <string_view>

namespace platform::text {

std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view utf16);

// wchar_t text is UTF-32 here; the code-page conversions produce it.
std::wstring utf8_to_wide(std::string_view utf8);
std::string wide_to_utf8(std::wstring_view wide);

// Case folding for case-insensitive comparisons of names (keys, paths), locale-independent.
std::string fold_case(std::string_view utf8);

}  // namespace platform::text
