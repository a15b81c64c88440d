// The installer's twenty interface languages: the table of languages, the process-wide current
// language, its automatic choice from the user's language, and the switch of the process locale
// when a language becomes current. The wizard's language change (SetLanguage) belongs to the
// application object and builds on these.
#pragma once

#include "platform/locale/locale_ids.hpp"
#include "platform/resources/resource_module.hpp"

#include <cstdint>
#include <string>

// Language indices.
inline constexpr std::uint32_t LanguageFrench = 0;
inline constexpr std::uint32_t LanguageEnglish = 1;
inline constexpr std::uint32_t LanguageGerman = 2;
inline constexpr std::uint32_t LanguageSpanish = 3;
inline constexpr std::uint32_t LanguagePortuguese = 4;
inline constexpr std::uint32_t LanguageDutch = 5;
inline constexpr std::uint32_t LanguageDanish = 6;
inline constexpr std::uint32_t LanguageTurkish = 7;
inline constexpr std::uint32_t LanguageBulgarian = 8;
inline constexpr std::uint32_t LanguageRomanian = 9;
inline constexpr std::uint32_t LanguageChineseSimplified = 10;
inline constexpr std::uint32_t LanguageItalian = 11;
inline constexpr std::uint32_t LanguageCzech = 12;
inline constexpr std::uint32_t LanguageNorwegian = 13;
inline constexpr std::uint32_t LanguageGreek = 14;
inline constexpr std::uint32_t LanguagePolish = 15;
inline constexpr std::uint32_t LanguageHebrew = 16;
inline constexpr std::uint32_t LanguageVietnamese = 17;
inline constexpr std::uint32_t LanguageJapanese = 18;
inline constexpr std::uint32_t LanguageHungarian = 19;
inline constexpr std::uint32_t LanguageCount = 20;

// Language masks have bit i set for index i.
inline constexpr std::uint32_t ProductLanguageMask = 0xB4EBF;     // the languages the product knows
inline constexpr std::uint32_t TranslatedLanguageMask = 0x00A9F;  // fully translated installer texts

struct LanguageState {
    std::uint32_t defaultMask = 1;  // automatic choice when the caller gives no mask: French only
    std::uint32_t current = LanguageFrench;
    // The user's default locale when its language is the current language's, else that language.
    platform::locale::lcid_t lcid = 0;
    std::uint32_t codePage = 1252;  // ANSI code page of the current language
    // The module holding the texts; null until first looked up.
    const platform::resources::resource_module* resourceModule = nullptr;
};

// The process's state, created on first use: French current, and the process locale and the
// calling thread's locale switched to it.
LanguageState& GetLanguageState();

// The index chosen from the user's default language among the mask's languages (0: defaultMask);
// English when the mask has it, else French, for a language outside the mask.
std::uint32_t ChooseLanguage(std::uint32_t mask = 0);

// Makes a language current and switches the process locale to it when it changes; the windows' layout
// direction follows the language (IsRightToLeft).
void MakeLanguageCurrent(std::uint32_t index);

// The language's LANGID; French's for an index outside the table.
platform::locale::langid_t LanguageToLangId(std::uint32_t index);

bool IsProductLanguage(std::uint32_t index);
bool IsInstallerTranslated(std::uint32_t index);

// The offset of the language's texts from the French numbers.
std::uint32_t TextBlockOffset(std::uint32_t index);

// The language's own name for itself with its first letter in upper case ("Français"); empty when
// the locale has none.
std::string GetLanguageName(std::uint32_t index);

bool IsRightToLeft(std::uint32_t index);
