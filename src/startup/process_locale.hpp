// Switches the process's locale to an interface language: the standard library's global locale
// and the C library's locale take character classification, collation and time from the
// language's locale, while numbers and money keep their previous formatting.
#pragma once

#include <cstdint>

void SwitchProcessLocale(std::uint32_t languageIndex);
