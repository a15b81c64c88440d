// The report of a start-up failure that has an error code: the code's text in a warning box.
#pragma once

#include <cstdint>
#include <string>

// The text shown for a code. With bits 0x20000000 and 0x08000000 both set, the program's own text
// numbered by the low 16 bits; with 0x20000000 alone, or for a code the system has no text for, the
// text of E_FAIL ("Error" when even that is missing); otherwise the system's text. Never ends in CR
// or LF.
std::string StartupErrorText(std::uint32_t code);

// Shows StartupErrorText(code) with a warning icon and an OK button, captioned with the
// application's current name.
void ReportStartupError(std::uint32_t code);
