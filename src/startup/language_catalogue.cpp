#include "startup/language_catalogue.hpp"

#include "platform/locale/locale_info.hpp"
#include "platform/locale/thread_locale.hpp"
#include "platform/locale/user_locale.hpp"
#include "platform/ui/application.hpp"
#include "startup/process_locale.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace {

namespace loc = platform::locale;

struct LanguageEntry {
    loc::langid_t langId;
    std::uint16_t autoPrimary;  // primary language chosen automatically; 0 for none
    std::uint32_t textOffset;
};

constexpr LanguageEntry kLanguages[LanguageCount] = {
    {0x040C, 0x0C, 0},      // French
    {0x0409, 0x00, 1000},   // English: the fallback, never matched
    {0x0407, 0x07, 2000},   // German
    {0x0C0A, 0x0A, 3000},   // Spanish
    {0x0816, 0x16, 4000},   // Portuguese
    {0x0413, 0x13, 6000},   // Dutch
    {0x0406, 0x06, 7000},   // Danish
    {0x041F, 0x1F, 8000},   // Turkish
    {0x0402, 0x02, 10000},  // Bulgarian
    {0x0418, 0x18, 11000},  // Romanian
    {0x0804, 0x04, 9000},   // Chinese (Simplified), for sub-languages 2 and 4 only
    {0x0410, 0x10, 5000},   // Italian
    {0x0405, 0x05, 12000},  // Czech
    {0x0414, 0x14, 13000},  // Norwegian
    {0x0408, 0x08, 14000},  // Greek
    {0x0415, 0x15, 15000},  // Polish
    {0x040D, 0x0D, 16000},  // Hebrew
    {0x042A, 0x2A, 17000},  // Vietnamese
    {0x0411, 0x11, 18000},  // Japanese
    {0x040E, 0x0E, 19000},  // Hungarian
};

constexpr std::uint16_t kPrimaryChinese = 0x04;

bool InMask(std::uint32_t mask, std::uint32_t index) {
    return index < 32 && (mask >> index & 1) != 0;
}

// The user's own locale when it is of exactly the language's LANGID, else the LANGID itself.
loc::lcid_t LocaleForLanguage(std::uint32_t index) {
    const loc::lcid_t user = loc::user_default_lcid();
    const loc::langid_t language = LanguageToLangId(index);
    return loc::language_of(user) == language ? user : loc::lcid_t{language};
}

LanguageState CreateLanguageState() {
    LanguageState state;
    // The C library's locale is process-wide on this platform already; nothing to configure.
    SwitchProcessLocale(LanguageFrench);
    state.lcid = LocaleForLanguage(LanguageFrench);
    loc::set_thread_locale(state.lcid);
    return state;
}

// The first character in upper case, as a per-character mapping that keeps the rest unchanged.
std::string UpperFirst(std::string text) {
    int32_t end = 0;
    UChar32 first = 0;
    U8_NEXT(text.data(), end, static_cast<int32_t>(text.size()), first);
    if (first < 0) {
        return text;
    }
    char upper[U8_MAX_LENGTH];
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(upper, length, U8_MAX_LENGTH, u_toupper(first), error);
    if (!error) {
        text.replace(0, static_cast<std::size_t>(end), upper, static_cast<std::size_t>(length));
    }
    return text;
}

}  // namespace

LanguageState& GetLanguageState() {
    static LanguageState state = CreateLanguageState();
    return state;
}

std::uint32_t ChooseLanguage(std::uint32_t mask) {
    if (mask == 0) {
        mask = GetLanguageState().defaultMask;
    }
    const loc::langid_t user = loc::user_default_langid();
    const std::uint16_t primary = loc::primary_language(user);
    for (std::uint32_t index = 0; index < LanguageCount; ++index) {
        if (kLanguages[index].autoPrimary == 0 || kLanguages[index].autoPrimary != primary) {
            continue;
        }
        // Only Chinese of the People's Republic and of Singapore is written in simplified characters.
        const std::uint16_t sub = loc::sub_language(user);
        if (primary == kPrimaryChinese && sub != 2 && sub != 4) {
            continue;
        }
        if (InMask(mask, index)) {
            return index;
        }
    }
    return InMask(mask, LanguageEnglish) ? LanguageEnglish : LanguageFrench;
}

void MakeLanguageCurrent(std::uint32_t index) {
    LanguageState& state = GetLanguageState();
    if (index != state.current) {
        SwitchProcessLocale(index);
    }
    state.current = index;
    state.lcid = LocaleForLanguage(index);
    const std::uint32_t codePage = loc::default_ansi_code_page(state.lcid);
    state.codePage = codePage != 0 ? codePage : loc::ansi_code_page();
    state.resourceModule = nullptr;
    // The windows read in the direction of the language their texts are in.
    platform::ui::set_layout_direction(IsRightToLeft(index));
}

loc::langid_t LanguageToLangId(std::uint32_t index) {
    return index < LanguageCount ? kLanguages[index].langId : kLanguages[LanguageFrench].langId;
}

bool IsProductLanguage(std::uint32_t index) {
    return InMask(ProductLanguageMask, index);
}

bool IsInstallerTranslated(std::uint32_t index) {
    return InMask(TranslatedLanguageMask, index);
}

std::uint32_t TextBlockOffset(std::uint32_t index) {
    return index < LanguageCount ? kLanguages[index].textOffset : kLanguages[LanguageFrench].textOffset;
}

std::string GetLanguageName(std::uint32_t index) {
    return UpperFirst(loc::native_language_name(LocaleForLanguage(index)));
}

bool IsRightToLeft(std::uint32_t index) {
    return loc::is_right_to_left(LanguageToLangId(index)).value_or(index == LanguageHebrew);
}
