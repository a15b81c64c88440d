#include "platform/system/terminal.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

namespace platform::system {

int standard_error_terminal_columns() {
    if (::isatty(STDERR_FILENO) == 0) {
        return 0;
    }
    winsize size{};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

long current_process_id() {
    return static_cast<long>(::getpid());
}

}  // namespace platform::system
