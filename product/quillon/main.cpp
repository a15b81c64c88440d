// quillon: Vintrel's Quillon 7.02b.
//
//   quillon [DOCUMENT]                          runs until standard input ends (when it is a pipe or
//                                               a terminal), "quit" is typed, or SIGTERM/SIGINT/SIGHUP
//   quillon /Register /Background [/update=V]   registers the document type; exit code -10
//
// While it runs, the program holds one count of the running-instance counter.
#include "platform/kernel/file_modes.hpp"
#include "registration.hpp"
#include "running_instance.hpp"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Signals that end the program arrive on a descriptor instead of interrupting it, so that the
// running-instance count is always taken back on the way out.
class termination_signals {
public:
    termination_signals() {
        sigemptyset(&m_set);
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
            sigaddset(&m_set, signal);
        }
        sigprocmask(SIG_BLOCK, &m_set, nullptr);
        m_fd = signalfd(-1, &m_set, SFD_CLOEXEC);
    }
    ~termination_signals() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    termination_signals(const termination_signals&) = delete;
    termination_signals& operator=(const termination_signals&) = delete;

    int fd() const { return m_fd; }

private:
    sigset_t m_set{};
    int m_fd = -1;
};

// Standard input ends the session only when someone can close it: a pipe, a socket or a terminal.
// A launch from the desktop gets /dev/null, which would end the program at once.
bool input_can_end_session() {
    struct stat info {};
    if (fstat(STDIN_FILENO, &info) != 0) {
        return false;
    }
    return S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || isatty(STDIN_FILENO);
}

// True when a line "quit" was read or the input ended.
bool input_says_quit(std::string& pending) {
    char buffer[512];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
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

void run_session() {
    termination_signals signals;
    const bool watch_input = input_can_end_session();
    std::string pending;
    for (;;) {
        pollfd fds[2] = {{signals.fd(), POLLIN, 0}, {watch_input ? STDIN_FILENO : -1, POLLIN, 0}};
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

void show_document(const std::string& name) {
    boost::system::error_code ec;
    const auto size = boost::filesystem::file_size(name, ec);
    if (ec) {
        std::cerr << "quillon: " << name << ": " << ec.message() << '\n';
    } else {
        std::cout << "Quillon 7.02b: opened " << name << " (" << size << " bytes)" << std::endl;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        // The document type is registered for every user of the machine.
        platform::kernel::use_shared_file_modes();
        quillon::running_instance instance;
        if (const auto request = quillon::parse_registration(arguments)) {
            return quillon::run_registration(*request);
        }
        if (arguments.size() > 1) {
            std::cerr << "usage: quillon [DOCUMENT]\n       quillon /Register /Background [/update=HEX16]\n";
            return 2;
        }
        if (!arguments.empty()) {
            show_document(arguments.front());
        }
        std::cout << "Quillon 7.02b is running (process " << ::getpid() << ")" << std::endl;
        run_session();
        return 0;
    } catch (const quillon::usage_error& e) {
        std::cerr << "quillon: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "quillon: " << e.what() << '\n';
        return 1;
    }
}
