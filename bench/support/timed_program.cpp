#include "support/timed_program.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace bench {

namespace {

double usage_of(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return cpu_seconds(usage);
}

}  // namespace

double cpu_seconds(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double own_cpu_seconds() {
    return usage_of(RUSAGE_SELF);
}

double children_cpu_seconds() {
    return usage_of(RUSAGE_CHILDREN);
}

program_timing run_program(const std::vector<std::string>& args, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error(args[0] + ": cannot be started");
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(args[0] + " failed");
    }
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), cpu_seconds(usage)};
}

}  // namespace bench
