#include "startup/language_texts.hpp"

#include "platform/resources/string_table.hpp"
#include "startup/language_catalogue.hpp"

#include <string_view>

namespace {

namespace res = platform::resources;

// The text that marks a translation as missing.
constexpr std::string_view kUntranslated = "#";

std::string_view LoadStringById(std::uint32_t textId) {
    LanguageState& state = GetLanguageState();
    if (state.resourceModule == nullptr) {
        state.resourceModule = &res::resource_module::self();
    }
    return res::load_string(*state.resourceModule, textId).value_or(std::string_view());
}

}  // namespace

std::uint32_t ResolveTextId(std::uint32_t frenchTextId) {
    const std::uint32_t current = GetLanguageState().current;
    const std::uint32_t language = IsInstallerTranslated(current) ? current : LanguageEnglish;
    if (language == LanguageFrench) {
        return frenchTextId;
    }
    const std::uint32_t candidate = frenchTextId + TextBlockOffset(language);
    if (LoadStringById(candidate) != kUntranslated) {
        return candidate;
    }
    if (language == LanguageEnglish) {
        return frenchTextId;
    }
    const std::uint32_t english = frenchTextId + TextBlockOffset(LanguageEnglish);
    return LoadStringById(english) != kUntranslated ? english : frenchTextId;
}

std::string LoadText(std::uint32_t frenchTextId) {
    return std::string(LoadStringById(ResolveTextId(frenchTextId)));
}
