#include "termination_signals.hpp"

#include <sys/signalfd.h>
#include <unistd.h>

#include <initializer_list>

namespace quillon {

termination_signals::termination_signals() {
    sigemptyset(&m_set);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&m_set, signal);
    }
    sigprocmask(SIG_BLOCK, &m_set, nullptr);
    m_fd = signalfd(-1, &m_set, SFD_CLOEXEC);
}

termination_signals::~termination_signals() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

}  // namespace quillon
