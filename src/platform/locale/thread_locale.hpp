// The calling thread's locale and the ANSI code page that follows it. Stands in for
// GetThreadLocale, SetThreadLocale and the code page that CP_THREAD_ACP names.
#pragma once

#include "platform/locale/locale_ids.hpp"

#include <cstdint>

namespace platform::locale {

// The thread's locale; a thread starts with the user's default locale.
lcid_t thread_locale();

// Sets the calling thread's locale; false, leaving it unchanged, for an id that names no locale.
bool set_thread_locale(lcid_t id);

// The ANSI code page of the thread's locale; GetACP's when that locale has none.
std::uint32_t thread_ansi_code_page();

}  // namespace platform::locale
