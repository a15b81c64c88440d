#include "unattended/language_codes.hpp"

#include "platform/locale/locale_ids.hpp"
#include "startup/language_catalogue.hpp"

#include <algorithm>
#include <cctype>

namespace {

std::string Tag(std::uint32_t index) {
    return platform::locale::locale_name(LanguageToLangId(index)).value_or(std::string());
}

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string LanguageCode(std::uint32_t index) {
    const std::string tag = Tag(index);
    return tag.substr(0, tag.find('-'));
}

std::optional<std::uint32_t> ProductLanguageFromCode(std::string_view code) {
    if (code.empty()) {
        return std::nullopt;
    }
    for (std::uint32_t index = 0; index < LanguageCount; ++index) {
        if (IsProductLanguage(index) && (SameLetters(code, LanguageCode(index)) || SameLetters(code, Tag(index)))) {
            return index;
        }
    }
    return std::nullopt;
}

std::string ProductLanguageCodes() {
    std::string codes;
    for (std::uint32_t index = 0; index < LanguageCount; ++index) {
        if (IsProductLanguage(index)) {
            codes += (codes.empty() ? "" : " ") + LanguageCode(index);
        }
    }
    return codes;
}
