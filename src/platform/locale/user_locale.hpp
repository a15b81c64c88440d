// The user's default locale, taken from the environment as the C library does: LC_ALL, then
// LC_MESSAGES, then LANG. Stands in for GetUserDefaultLCID and GetUserDefaultLangID.
//
// The variables are read at each call. A variable that is empty, names the C or POSIX locale, or
// names a locale without a Windows id counts as not set, and the next one is tried; with none,
// the user's locale is English (United States). A name without a region ("de") stands for the
// region where the language is most used ("de_DE").
#pragma once

#include "platform/locale/locale_ids.hpp"

namespace platform::locale {

lcid_t user_default_lcid();
langid_t user_default_langid();

}  // namespace platform::locale
