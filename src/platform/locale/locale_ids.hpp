// Language and locale identifiers and their names, through ICU's table of Windows locale ids.
// Stands in for LCIDToLocaleName, LocaleNameToLCID and the LANGID macros.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::locale {

using lcid_t = std::uint32_t;    // locale identifier: a LANGID in the low 16 bits, a sort id above
using langid_t = std::uint16_t;  // language identifier: primary language (10 bits), sub-language (6 bits)

inline constexpr lcid_t LOCALE_USER_DEFAULT = 0x0400;
inline constexpr lcid_t LOCALE_SYSTEM_DEFAULT = 0x0800;
inline constexpr langid_t LANG_ENGLISH_US = 0x0409;

constexpr std::uint16_t primary_language(langid_t id) {
    return id & 0x3FF;
}
constexpr std::uint16_t sub_language(langid_t id) {
    return id >> 10;
}
constexpr langid_t language_of(lcid_t id) {
    return static_cast<langid_t>(id & 0xFFFF);
}

// LCIDToLocaleName: the locale's name as a language tag ("de-CH", "zh-TW", "sr-Latn-CS"); the
// script is named only where it is not the language's usual one in that region. The two default
// ids resolve to the user's locale. Empty for an id that names no locale.
std::optional<std::string> locale_name(lcid_t id);

// The ICU locale id of a locale identifier ("zh_Hant_TW"); the two default ids resolve to the
// user's locale. Empty for an id that names no locale.
std::optional<std::string> icu_locale_id(lcid_t id);

// LocaleNameToLCID: the id of a language tag or ICU/POSIX locale name ("de-CH", "de_CH.UTF-8");
// empty when the name is unknown.
std::optional<lcid_t> locale_id(std::string_view name);

// The name under which the C library knows a locale ("de-CH" -> "de_CH.UTF-8",
// "sr-Latn-RS" -> "sr_RS.UTF-8@latin"); empty for an empty or unparsable name. The program's texts
// are UTF-8, so the character set always is too.
std::string posix_locale_name(std::string_view tag);

}  // namespace platform::locale
