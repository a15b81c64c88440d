#include "platform/process/process_handle.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/process/command_line.hpp"
#include "platform/process/process_descriptor.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

namespace platform::process {
namespace {

// What the child sends back through the status pipe when it cannot become the program.
struct child_failure {
    enum stage_t : int { working_folder = 1, execute = 2 } stage;
    int error_number;
};

// How far "high priority" lowers the nice value: about the distance between the normal and the
// high priority class on Windows.
constexpr int high_priority_boost = 10;

std::string current_folder() {
    std::vector<char> buffer(PATH_MAX);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool is_regular_file(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The file to execute: a path made absolute now, since the child changes its folder before it
// executes; a bare name looked up in PATH like the shell does. Empty when there is none.
std::string locate_program(const std::string& name) {
    if (name.empty()) {
        return {};
    }
    if (name.find('/') != std::string::npos) {
        return name.front() == '/' ? name : current_folder() + '/' + name;
    }
    const char* search = std::getenv("PATH");
    std::string_view folders = search && *search ? search : "/usr/local/bin:/usr/bin:/bin";
    std::string first_match;
    while (!folders.empty()) {
        const auto end = std::min(folders.find(':'), folders.size());
        const std::string_view folder = folders.substr(0, end);
        folders.remove_prefix(std::min(end + 1, folders.size()));
        if (folder.empty() || folder.front() != '/') {
            continue;  // a relative PATH entry would depend on the folder the child starts in
        }
        std::string candidate = std::string(folder) + '/' + name;
        if (is_regular_file(candidate)) {
            if (access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
            if (first_match.empty()) {
                first_match = std::move(candidate);  // executing it reports the lack of permission
            }
        }
    }
    return first_match;
}

// Everything the child needs, prepared before fork: after it only async-signal-safe calls are made.
struct child_plan {
    std::string program;
    std::vector<std::string> arguments;
    std::vector<char*> argv;
    std::string working_folder;
    bool high_priority = false;
    int status_fd = -1;
    int descriptor_limit = 0;
};

[[noreturn]] void report_failure(int status_fd, child_failure::stage_t stage, int error_number) {
    const child_failure failure{stage, error_number};
    [[maybe_unused]] const ssize_t written = write(status_fd, &failure, sizeof failure);
    _exit(127);
}

void close_descriptors_on_exec(int descriptor_limit) {
#ifdef CLOSE_RANGE_CLOEXEC
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
#endif
    for (int fd = 3; fd < descriptor_limit; ++fd) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
}

[[noreturn]] void become_program(const child_plan& plan) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!plan.working_folder.empty() && chdir(plan.working_folder.c_str()) != 0) {
        report_failure(plan.status_fd, child_failure::working_folder, errno);
    }
    if (plan.high_priority) {
        errno = 0;
        const int nice_now = getpriority(PRIO_PROCESS, 0);
        if (errno == 0) {
            setpriority(PRIO_PROCESS, 0, std::max(nice_now - high_priority_boost, -20));  // refused: normal
        }
    }
    close_descriptors_on_exec(plan.descriptor_limit);
    execv(plan.program.c_str(), plan.argv.data());
    report_failure(plan.status_fd, child_failure::execute, errno);
}

// A few errors mean something particular when starting a program: CreateProcessW reports a file
// that is no program, a command line too long and a process table that is full in its own words.
std::uint32_t start_error_from_errno(int error_number) {
    switch (error_number) {
        case ENOEXEC:
            return kernel::win32::bad_exe_format;
        case E2BIG:
            return kernel::win32::filename_exced_range;
        case EAGAIN:
            return kernel::win32::no_system_resources;
        default:
            return kernel::win32_from_errno(error_number);
    }
}

std::uint32_t start_error_of(const child_failure& failure) {
    if (failure.stage == child_failure::working_folder &&
        (failure.error_number == ENOENT || failure.error_number == ENOTDIR)) {
        return kernel::win32::directory;
    }
    return start_error_from_errno(failure.error_number);
}

}  // namespace

process_handle process_handle::start(const start_options& options) {
    process_handle result;
    child_plan plan;
    plan.arguments = split_command_line(options.command_line);
    plan.program = locate_program(plan.arguments.front());
    if (plan.program.empty()) {
        result.m_start_error = kernel::win32::file_not_found;
        return result;
    }
    for (auto& argument : plan.arguments) {
        plan.argv.push_back(argument.data());
    }
    plan.argv.push_back(nullptr);
    plan.working_folder = options.working_folder.string();
    plan.high_priority = options.priority == priority_class::high;
    plan.descriptor_limit = static_cast<int>(std::clamp(sysconf(_SC_OPEN_MAX), 256L, 65536L));

    int status_ends[2] = {-1, -1};
    if (pipe2(status_ends, O_CLOEXEC) != 0) {
        result.m_start_error = start_error_from_errno(errno);
        return result;
    }
    const kernel::unique_fd status_read(status_ends[0]);
    kernel::unique_fd status_write(status_ends[1]);
    plan.status_fd = status_write.get();

    const pid_t pid = fork();
    if (pid < 0) {
        result.m_start_error = start_error_from_errno(errno);
        return result;
    }
    if (pid == 0) {
        become_program(plan);
    }
    status_write.reset();

    // The pipe closes on a successful exec; a report means the child never became the program.
    child_failure failure{};
    ssize_t received;
    do {
        received = read(status_read.get(), &failure, sizeof failure);
    } while (received < 0 && errno == EINTR);
    if (received == static_cast<ssize_t>(sizeof failure)) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        result.m_start_error = start_error_of(failure);
        return result;
    }
    result.m_pid = pid;
    result.m_pidfd = open_process_descriptor(pid);
    return result;
}

process_handle::process_handle(process_handle&& other) noexcept
    : m_pid(std::exchange(other.m_pid, -1)),
      m_pidfd(std::move(other.m_pidfd)),
      m_start_error(other.m_start_error),
      m_exit_code(std::exchange(other.m_exit_code, std::nullopt)),
      m_status_lost(other.m_status_lost) {}

process_handle& process_handle::operator=(process_handle&& other) noexcept {
    if (this != &other) {
        close();
        m_pid = std::exchange(other.m_pid, -1);
        m_pidfd = std::move(other.m_pidfd);
        m_start_error = other.m_start_error;
        m_exit_code = std::exchange(other.m_exit_code, std::nullopt);
        m_status_lost = other.m_status_lost;
    }
    return *this;
}

process_handle::~process_handle() {
    close();
}

void process_handle::close() {
    if (m_pid > 0 && !m_exit_code && !m_status_lost) {
        reap(false);
    }
    if (m_pid > 0 && !m_exit_code && !m_status_lost) {
        // Closing a handle leaves the program running; someone must still collect its status.
        try {
            std::thread([pid = m_pid] {
                while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
                }
            }).detach();
        } catch (const std::system_error&) {
            // Without a thread the ended program stays a zombie until this process ends.
        }
    }
    m_pidfd.reset();
    m_pid = -1;
}

bool process_handle::reap(bool block) {
    siginfo_t info{};
    int rc;
    do {
        rc = waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | (block ? 0 : WNOHANG));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        m_status_lost = true;  // collected elsewhere, e.g. with SIGCHLD ignored: the status is gone
        return false;
    }
    if (info.si_pid == 0) {
        return false;
    }
    if (info.si_code == CLD_EXITED) {
        m_exit_code = static_cast<std::int8_t>(info.si_status & 0xFF);
    } else {
        m_exit_code = static_cast<std::int32_t>(exit_code_signal_base + static_cast<std::uint32_t>(info.si_status));
    }
    return true;
}

sync::wait_result process_handle::wait(std::chrono::milliseconds timeout) {
    using namespace std::chrono;
    if (m_pid <= 0) {
        return sync::wait_result::failed;
    }
    if (m_exit_code) {
        return sync::wait_result::object_0;
    }
    if (m_status_lost) {
        return sync::wait_result::failed;
    }
    if (timeout == sync::infinite) {
        return reap(true) ? sync::wait_result::object_0 : sync::wait_result::failed;
    }
    const auto deadline = steady_clock::now() + std::clamp(timeout, milliseconds(0), milliseconds(hours(24 * 365)));
    for (;;) {
        if (reap(false)) {
            return sync::wait_result::object_0;
        }
        if (m_status_lost) {
            return sync::wait_result::failed;
        }
        const auto left = ceil<milliseconds>(deadline - steady_clock::now());
        if (left <= milliseconds(0)) {
            return sync::wait_result::timeout;
        }
        const int left_ms = static_cast<int>(std::min<milliseconds::rep>(left.count(), INT_MAX));
        if (m_pidfd) {
            pollfd ended{m_pidfd.get(), POLLIN, 0};
            poll(&ended, 1, left_ms);
        } else {
            std::this_thread::sleep_for(milliseconds(std::min(left_ms, 10)));
        }
    }
}

sync::wait_result process_handle::wait_pumping(std::chrono::milliseconds interval, const std::function<void()>& pump) {
    for (;;) {
        const auto result = wait(interval);
        if (result != sync::wait_result::timeout) {
            return result;
        }
        if (pump) {
            pump();
        }
    }
}

std::optional<std::int32_t> process_handle::exit_code() {
    if (m_pid > 0 && !m_exit_code && !m_status_lost) {
        reap(false);
    }
    return m_exit_code;
}

}  // namespace platform::process
