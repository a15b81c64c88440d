#include "console_session.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace quillon {
namespace {

// True when a line "quit" was read or the input ended; an input that cannot be read at all (not
// open) ends too, as nothing could ever end the session through it.
bool input_says_quit(std::string& pending) {
    char buffer[512];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0) {
        return errno != EINTR && errno != EAGAIN;
    }
    if (got == 0) {
        return true;
    }
    pending.append(buffer, static_cast<std::size_t>(got));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
        if (pending.compare(0, end, "quit") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

void run_console_session(const termination_signals& ending) {
    std::string pending;
    for (;;) {
        pollfd fds[2] = {{ending.fd(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if (fds[1].revents != 0 && input_says_quit(pending)) {
            return;
        }
    }
}

}  // namespace quillon
