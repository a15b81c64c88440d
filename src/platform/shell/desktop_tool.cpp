#include "platform/shell/desktop_tool.hpp"

#include "platform/process/process_descriptor.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace platform::shell {
namespace {

// A tool that hangs must not hang the installer with it.
constexpr std::chrono::seconds tool_time_limit{60};

}  // namespace

void run_desktop_tool(std::vector<std::string> arguments) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return;
    }
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return;
    }
    // The tools take a few milliseconds: their end is waited for on a process descriptor where the
    // kernel has them, so that no polling interval is added to each run.
    const kernel::unique_fd ended = process::open_process_descriptor(child);
    const auto deadline = std::chrono::steady_clock::now() + tool_time_limit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR)) {
            return;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return;
        }
        if (ended) {
            pollfd ending{ended.get(), POLLIN, 0};
            ::poll(&ending, 1, static_cast<int>(left.count()));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

}  // namespace platform::shell
