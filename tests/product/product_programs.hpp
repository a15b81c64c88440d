// Where the tests find the built product, and a started program whose standard input and output
// the test holds.
#pragma once

#include <boost/filesystem/path.hpp>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace product_test {

inline boost::filesystem::path built(const char* name) {
    return boost::filesystem::path(QUILLON_BINARY_DIR) / "bin" / name;
}

// The program runs with pipes for standard input and output, or with its input read from a file
// such as /dev/null; it is killed and reaped if the test leaves it running.
class piped_program {
public:
    explicit piped_program(const boost::filesystem::path& program, std::vector<std::string> arguments = {},
                           const boost::filesystem::path& input_file = {}) {
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (input_file.empty()) {
            posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input_file.c_str(), O_RDONLY, 0);
        }
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> texts = {program.string()};
        texts.insert(texts.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& text : texts) {
            argv.push_back(text.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, texts[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_input = in[1];
        m_output = out[0];
    }
    ~piped_program() {
        close_input();
        if (m_output >= 0) {
            ::close(m_output);
        }
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    piped_program(const piped_program&) = delete;
    piped_program& operator=(const piped_program&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t id() const { return m_pid; }

    // The first line the program writes; empty when it ends first.
    std::string read_line() {
        std::string line;
        char c;
        while (::read(m_output, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return line;
    }
    void write(const std::string& text) { (void)!::write(m_input, text.data(), text.size()); }
    void close_input() {
        if (m_input >= 0) {
            ::close(m_input);
            m_input = -1;
        }
    }

    // The exit status once the program ended within the timeout.
    std::optional<int> wait(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!m_status && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return m_status;
    }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    std::optional<int> m_status;
};

}  // namespace product_test
