#include "startup/process_locale.hpp"

#include "platform/locale/locale_ids.hpp"
#include "platform/locale/user_locale.hpp"
#include "startup/language_catalogue.hpp"

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>

namespace {

namespace loc = platform::locale;

// The C library's name of the language's locale: the user's own locale when it is of the same
// primary language (so a Swiss user keeps de_CH for German), else the language's. Empty, which
// stands for the environment's default locale, when the id has no name.
std::string LocaleNameForLanguage(std::uint32_t index) {
    const loc::langid_t language = LanguageToLangId(index);
    const bool userLanguage = loc::primary_language(loc::user_default_langid()) == loc::primary_language(language);
    const auto name = loc::locale_name(userLanguage ? loc::LOCALE_USER_DEFAULT : loc::lcid_t{language});
    return name ? loc::posix_locale_name(*name) : std::string();
}

// The named locale; the environment's default when that is not installed, the classic one when
// neither can be built.
std::locale BuildLocale(const std::string& name) {
    for (const std::string& candidate : {name, std::string()}) {
        try {
            return std::locale(candidate.c_str());
        } catch (const std::runtime_error&) {
        }
    }
    return std::locale::classic();
}

}  // namespace

void SwitchProcessLocale(std::uint32_t languageIndex) {
    const std::string name = LocaleNameForLanguage(languageIndex);
    std::locale::global(
        std::locale(std::locale(), BuildLocale(name), std::locale::ctype | std::locale::collate | std::locale::time));

    std::setlocale(LC_ALL, "C");
    for (const int category : {LC_CTYPE, LC_COLLATE, LC_TIME}) {
        // A language whose locale is not installed here takes the environment's, as above.
        if (std::setlocale(category, name.c_str()) == nullptr) {
            std::setlocale(category, "");
        }
    }
}
