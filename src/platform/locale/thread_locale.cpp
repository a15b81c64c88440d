#include "platform/locale/thread_locale.hpp"

#include "platform/locale/locale_info.hpp"
#include "platform/locale/user_locale.hpp"

#include <optional>

namespace platform::locale {
namespace {

thread_local std::optional<lcid_t> this_thread_locale;

}  // namespace

lcid_t thread_locale() {
    if (!this_thread_locale) {
        this_thread_locale = user_default_lcid();
    }
    return *this_thread_locale;
}

bool set_thread_locale(lcid_t id) {
    if (id == LOCALE_USER_DEFAULT || id == LOCALE_SYSTEM_DEFAULT) {
        id = user_default_lcid();
    }
    if (!icu_locale_id(id)) {
        return false;
    }
    this_thread_locale = id;
    return true;
}

std::uint32_t thread_ansi_code_page() {
    const std::uint32_t code_page = default_ansi_code_page(thread_locale());
    return code_page != 0 ? code_page : ansi_code_page();
}

}  // namespace platform::locale
