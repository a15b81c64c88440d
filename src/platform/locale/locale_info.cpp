#include "platform/locale/locale_info.hpp"

#include "platform/locale/user_locale.hpp"

#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <span>

namespace platform::locale {
namespace {

struct code_page_entry {
    std::uint16_t key;  // a primary language, or a whole LANGID in the exception table
    std::uint16_t code_page;
};

// ANSI code pages by primary language. Languages written only in Unicode (Hindi, Armenian,
// Georgian, ...) are absent and so have none.
constexpr code_page_entry by_primary_language[] = {
    {0x01, 1256}, {0x02, 1251}, {0x03, 1252}, {0x04, 936},  {0x05, 1250}, {0x06, 1252}, {0x07, 1252}, {0x08, 1253},
    {0x09, 1252}, {0x0A, 1252}, {0x0B, 1252}, {0x0C, 1252}, {0x0D, 1255}, {0x0E, 1250}, {0x0F, 1252}, {0x10, 1252},
    {0x11, 932},  {0x12, 949},  {0x13, 1252}, {0x14, 1252}, {0x15, 1250}, {0x16, 1252}, {0x17, 1252}, {0x18, 1250},
    {0x19, 1251}, {0x1A, 1250}, {0x1B, 1250}, {0x1C, 1250}, {0x1D, 1252}, {0x1E, 874},  {0x1F, 1254}, {0x20, 1256},
    {0x21, 1252}, {0x22, 1251}, {0x23, 1251}, {0x24, 1250}, {0x25, 1257}, {0x26, 1257}, {0x27, 1257}, {0x29, 1256},
    {0x2A, 1258}, {0x2C, 1254}, {0x2D, 1252}, {0x2F, 1251}, {0x36, 1252}, {0x38, 1252}, {0x3C, 1252}, {0x3E, 1252},
    {0x3F, 1251}, {0x40, 1251}, {0x41, 1252}, {0x43, 1254}, {0x44, 1251}, {0x50, 1251}, {0x52, 1252}, {0x56, 1252},
    {0x62, 1252}, {0x6E, 1252}, {0x6F, 1252}, {0x83, 1252}, {0x88, 1252}, {0x8C, 1256}, {0x92, 1256},
};

// Sub-languages whose script differs from their primary language's usual one.
constexpr code_page_entry by_language[] = {
    {0x0404, 950},   // Chinese (Taiwan)
    {0x0C04, 950},   // Chinese (Hong Kong)
    {0x1404, 950},   // Chinese (Macao)
    {0x7C04, 950},   // Chinese (Traditional)
    {0x0C1A, 1251},  // Serbian (Cyrillic, Serbia and Montenegro)
    {0x1C1A, 1251},  // Serbian (Cyrillic, Bosnia and Herzegovina)
    {0x201A, 1251},  // Bosnian (Cyrillic)
    {0x281A, 1251},  // Serbian (Cyrillic, Serbia)
    {0x301A, 1251},  // Serbian (Cyrillic, Montenegro)
    {0x6C1A, 1251},  // Serbian (Cyrillic)
    {0x7C1A, 1250},  // Serbian (Latin)
    {0x082C, 1251},  // Azerbaijani (Cyrillic)
    {0x0843, 1251},  // Uzbek (Cyrillic)
};

std::uint32_t look_up(std::span<const code_page_entry> table, std::uint16_t key) {
    const auto it = std::find_if(table.begin(), table.end(), [key](const code_page_entry& e) { return e.key == key; });
    return it == table.end() ? 0 : it->code_page;
}

}  // namespace

std::string native_language_name(lcid_t id) {
    const auto icu = icu_locale_id(id);
    if (!icu) {
        return {};
    }
    UChar name[ULOC_FULLNAME_CAPACITY];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getDisplayLanguage(icu->c_str(), icu->c_str(), name, ULOC_FULLNAME_CAPACITY, &status);
    // The default warning means ICU only echoed the language code back.
    if (U_FAILURE(status) || status == U_USING_DEFAULT_WARNING || length <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(length) * 3, '\0');
    int32_t written = 0;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &written, name, length, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(written) : 0);
    return out;
}

std::optional<bool> is_right_to_left(lcid_t id) {
    const auto icu = icu_locale_id(id);
    if (!icu) {
        return std::nullopt;
    }
    return uloc_isRightToLeft(icu->c_str()) != 0;
}

std::uint32_t default_ansi_code_page(lcid_t id) {
    if (id == LOCALE_USER_DEFAULT || id == LOCALE_SYSTEM_DEFAULT) {
        id = user_default_lcid();
    }
    if (!icu_locale_id(id)) {
        return 0;
    }
    const langid_t language = language_of(id);
    if (const std::uint32_t exception = look_up(by_language, language)) {
        return exception;
    }
    return look_up(by_primary_language, primary_language(language));
}

std::uint32_t ansi_code_page() {
    const std::uint32_t code_page = default_ansi_code_page(user_default_lcid());
    return code_page != 0 ? code_page : 1252;
}

}  // namespace platform::locale
