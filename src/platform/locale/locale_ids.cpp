#include "platform/locale/locale_ids.hpp"

#include "platform/locale/user_locale.hpp"

#include <unicode/uloc.h>

namespace platform::locale {
namespace {

// ICU fills fixed buffers; ULOC_FULLNAME_CAPACITY holds every locale id it produces.
using icu_name = char[ULOC_FULLNAME_CAPACITY];

std::string part(const char* id, int32_t (*get)(const char*, char*, int32_t, UErrorCode*)) {
    icu_name out{};
    UErrorCode status = U_ZERO_ERROR;
    get(id, out, ULOC_FULLNAME_CAPACITY, &status);
    return U_SUCCESS(status) ? std::string(out) : std::string();
}

// The ICU id of a POSIX locale name: the character set is dropped and the script modifiers become
// scripts ("sr_RS.UTF-8@latin" -> "sr_Latn_RS"); other modifiers ("@euro") carry no language.
std::string from_posix(std::string_view name) {
    const std::size_t at = name.find('@');
    std::string_view modifier = at == std::string_view::npos ? std::string_view() : name.substr(at + 1);
    std::string base(name.substr(0, std::min(name.find('.'), at)));
    const char* script = modifier == "latin" ? "Latn" : modifier == "cyrillic" ? "Cyrl" : nullptr;
    if (script && base.find('_') != std::string::npos) {
        base.insert(base.find('_'), std::string("_") + script);
    }
    return base;
}

std::optional<std::string> canonical_id(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    const bool is_tag = name.find('-') != std::string_view::npos && name.find('_') == std::string_view::npos;
    icu_name id{};
    UErrorCode status = U_ZERO_ERROR;
    if (is_tag) {
        uloc_forLanguageTag(std::string(name).c_str(), id, ULOC_FULLNAME_CAPACITY, nullptr, &status);
    } else {
        uloc_canonicalize(from_posix(name).c_str(), id, ULOC_FULLNAME_CAPACITY, &status);
    }
    if (U_FAILURE(status) || id[0] == '\0') {
        return std::nullopt;
    }
    return std::string(id);
}

// The id without a script that the language usually has in its region ("zh_Hant_TW" -> "zh_TW").
std::string without_usual_script(const std::string& id) {
    const std::string script = part(id.c_str(), uloc_getScript);
    const std::string region = part(id.c_str(), uloc_getCountry);
    if (script.empty() || region.empty()) {
        return id;
    }
    const std::string plain = part(id.c_str(), uloc_getLanguage) + "_" + region;
    icu_name likely{};
    UErrorCode status = U_ZERO_ERROR;
    uloc_addLikelySubtags(plain.c_str(), likely, ULOC_FULLNAME_CAPACITY, &status);
    return U_SUCCESS(status) && part(likely, uloc_getScript) == script ? plain : id;
}

}  // namespace

std::optional<std::string> icu_locale_id(lcid_t id) {
    if (id == LOCALE_USER_DEFAULT || id == LOCALE_SYSTEM_DEFAULT) {
        id = user_default_lcid();
    }
    icu_name icu{};
    UErrorCode status = U_ZERO_ERROR;
    uloc_getLocaleForLCID(id, icu, ULOC_FULLNAME_CAPACITY, &status);
    // Ids without a language (0, LANG_NEUTRAL) map to ICU's root locale, which names none.
    if (U_FAILURE(status) || part(icu, uloc_getLanguage).empty()) {
        return std::nullopt;
    }
    return std::string(icu);
}

std::optional<std::string> locale_name(lcid_t id) {
    const auto icu = icu_locale_id(id);
    if (!icu) {
        return std::nullopt;
    }
    icu_name tag{};
    UErrorCode status = U_ZERO_ERROR;
    uloc_toLanguageTag(without_usual_script(*icu).c_str(), tag, ULOC_FULLNAME_CAPACITY, false, &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return std::string(tag);
}

std::optional<lcid_t> locale_id(std::string_view name) {
    const auto id = canonical_id(name);
    if (!id) {
        return std::nullopt;
    }
    lcid_t lcid = uloc_getLCID(id->c_str());
    if (lcid == 0) {
        // ICU's table lists some locales only without their script, or only with it.
        lcid = uloc_getLCID(without_usual_script(*id).c_str());
    }
    return lcid == 0 ? std::nullopt : std::optional<lcid_t>(lcid);
}

std::string posix_locale_name(std::string_view tag) {
    const auto id = canonical_id(tag);
    if (!id) {
        return {};
    }
    const std::string language = part(id->c_str(), uloc_getLanguage);
    const std::string region = part(id->c_str(), uloc_getCountry);
    const std::string script = part(without_usual_script(*id).c_str(), uloc_getScript);
    if (language.empty()) {
        return {};
    }
    std::string name = language + (region.empty() ? "" : "_" + region) + ".UTF-8";
    if (script == "Latn") {
        name += "@latin";
    } else if (script == "Cyrl") {
        name += "@cyrillic";
    }
    return name;
}

}  // namespace platform::locale
