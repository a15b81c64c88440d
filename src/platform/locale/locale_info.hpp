// What a locale says about its language: its own name, its writing direction and the ANSI code
// page of its 8-bit texts. Stands in for GetLocaleInfoW with LOCALE_SNATIVELANGNAME,
// LOCALE_FONTSIGNATURE (the right-to-left bit) and LOCALE_IDEFAULTANSICODEPAGE, and for GetACP.
#pragma once

#include "platform/locale/locale_ids.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace platform::locale {

// The language's name in the language itself ("français", "Deutsch", "日本語"), as ICU spells it;
// empty when the id names no locale or ICU has no name for its language.
std::string native_language_name(lcid_t id);

// Whether the locale's script runs right to left; empty when the id names no locale.
std::optional<bool> is_right_to_left(lcid_t id);

// The Windows ANSI code page of the locale's language (1252 western, 1250 central European, 1251
// Cyrillic, 932 Japanese, ...); 0 for an unknown id and for languages written only in Unicode.
std::uint32_t default_ansi_code_page(lcid_t id);

// GetACP: the ANSI code page of the user's default locale, 1252 when that has none.
std::uint32_t ansi_code_page();

}  // namespace platform::locale
