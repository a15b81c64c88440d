// Splitting of a Windows command line into arguments, by the rules the C runtime of Windows programs
// applies before main (the argv a started program receives). Stands in for CommandLineToArgvW and the
// run-time library's command-line parsing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::process {

// The program name first: up to the first blank or tab outside double quotes, the quotes removed and
// backslashes taken literally. Then the arguments, separated by blanks and tabs outside quotes, where
// 2n backslashes before a quote give n backslashes and the quote opens or closes a quoted part,
// 2n+1 backslashes before a quote give n backslashes and a literal quote, backslashes elsewhere stay
// as they are, and "" inside a quoted part gives one literal quote. The result always holds the
// program name, which may be empty.
std::vector<std::string> split_command_line(std::string_view command_line);

// One argument written so that split_command_line gives it back unchanged: as it is when it holds
// no blank, tab or quote and is not empty, else in quotes with its quotes and the backslashes before
// them escaped.
std::string quote_argument(std::string_view argument);

}  // namespace platform::process
