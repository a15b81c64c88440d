// The system's English message texts for the Win32 codes and HRESULT values the installer can show.
// Stands in for FormatMessageW with FORMAT_MESSAGE_FROM_SYSTEM, FORMAT_MESSAGE_IGNORE_INSERTS and
// language 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::kernel {

// The text as the system's message table holds it, ending with CR LF; inserts such as %1 stay as
// they are. An HRESULT made from a Win32 code (0x8007xxxx) has that code's text. No text for an
// unknown code.
std::optional<std::string> format_system_message(std::uint32_t code);

// The same text with its trailing CR and LF characters removed, the form a message box shows.
std::optional<std::string> system_message_text(std::uint32_t code);

}  // namespace platform::kernel
