// What a command-line run needs to know about the process and where its messages go.
#pragma once

namespace platform::system {

// The width in columns of the terminal standard error writes to (80 when the terminal does not say),
// or 0 when standard error is not a terminal.
int standard_error_terminal_columns();

// This process's id, for log lines.
long current_process_id();

}  // namespace platform::system
