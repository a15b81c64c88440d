// SIGTERM, SIGINT and SIGHUP arrive on a descriptor instead of interrupting the program, so that it
// always ends through its own way out and gives its running-instance count back.
#pragma once

#include <signal.h>

namespace quillon {

class termination_signals {
public:
    // Blocks the signals for the process (before any thread starts) and opens the descriptor.
    termination_signals();
    ~termination_signals();
    termination_signals(const termination_signals&) = delete;
    termination_signals& operator=(const termination_signals&) = delete;

    // Readable once one of the signals is pending; -1 when it could not be opened.
    int fd() const { return m_fd; }

private:
    sigset_t m_set{};
    int m_fd = -1;
};

}  // namespace quillon
