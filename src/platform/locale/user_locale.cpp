#include "platform/locale/user_locale.hpp"

#include <unicode/uloc.h>

#include <cstdlib>
#include <string>

namespace platform::locale {
namespace {

bool names_c_locale(std::string_view value) {
    const std::string_view base = value.substr(0, value.find_first_of(".@"));
    return base == "C" || base == "POSIX";
}

// The id of a specific locale: a name without a region ("de") stands for the language in its most
// likely region ("de_DE"), as the user's locale is always a specific one.
std::optional<lcid_t> specific_id(const std::string& value) {
    const auto id = locale_id(value);
    const std::string base = value.substr(0, value.find_first_of(".@"));
    char region[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_getCountry(base.c_str(), region, ULOC_FULLNAME_CAPACITY, &status);
    if (!id || U_FAILURE(status) || region[0] != '\0') {
        return id;
    }
    char likely[ULOC_FULLNAME_CAPACITY] = {};
    char language[ULOC_FULLNAME_CAPACITY] = {};
    uloc_addLikelySubtags(base.c_str(), likely, ULOC_FULLNAME_CAPACITY, &status);
    uloc_getLanguage(likely, language, ULOC_FULLNAME_CAPACITY, &status);
    uloc_getCountry(likely, region, ULOC_FULLNAME_CAPACITY, &status);
    if (U_FAILURE(status) || region[0] == '\0') {
        return id;
    }
    const auto regional = locale_id(std::string(language) + "_" + region);
    return regional ? regional : id;
}

}  // namespace

lcid_t user_default_lcid() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0' || names_c_locale(value)) {
            continue;
        }
        if (const auto id = specific_id(value)) {
            return *id;
        }
    }
    return LANG_ENGLISH_US;
}

langid_t user_default_langid() {
    return language_of(user_default_lcid());
}

}  // namespace platform::locale
