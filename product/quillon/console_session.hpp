// The main program's session where no window can be shown: it runs until a line "quit" is read,
// standard input ends (whatever it is: a pipe, a terminal, a file, /dev/null) or a termination
// signal arrives.
#pragma once

#include "termination_signals.hpp"

namespace quillon {

void run_console_session(const termination_signals& ending);

}  // namespace quillon
