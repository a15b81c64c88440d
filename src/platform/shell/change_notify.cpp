#include "platform/shell/change_notify.hpp"

#include "platform/process/process_descriptor.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/path_functions.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

extern char** environ;

namespace platform::shell {
namespace {

// A tool that hangs must not hang the installer with it.
constexpr std::chrono::seconds tool_time_limit{60};

bool is_folder(const boost::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Runs a tool found along PATH with its output discarded and waits for it; any failure is ignored.
void run_tool(std::vector<std::string> arguments) {
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

// The XDG data folders the installer writes to: the all-users and the user's Start menu, whose
// "applications" are the Programs folders.
std::vector<boost::filesystem::path> data_folders() {
    std::vector<boost::filesystem::path> folders;
    for (const int id : {csidl::common_startmenu, csidl::startmenu}) {
        if (auto folder = special_folder(id)) {
            folders.push_back(*folder);
        }
    }
    return folders;
}

void refresh_desktop_database(const boost::filesystem::path& applications) {
    if (is_folder(applications)) {
        run_tool({"update-desktop-database", "-q", applications.string()});
    }
}

void refresh_mime_database(const boost::filesystem::path& mime) {
    // The tool refuses a folder without packages, and there is nothing to build then.
    if (is_folder(mime / "packages")) {
        run_tool({"update-mime-database", mime.string()});
    }
}

bool lies_in(const boost::filesystem::path& item, const boost::filesystem::path& folder) {
    const std::string inner = canonicalize(item.string());
    const std::string outer = canonicalize(folder.string());
    return common_prefix(inner, outer) == outer;
}

constexpr long item_events = shcne::renameitem | shcne::create | shcne::delete_item | shcne::mkdir | shcne::rmdir |
                             shcne::updatedir | shcne::updateitem | shcne::renamefolder;

}  // namespace

void change_notify(long event, const boost::filesystem::path& item,
                   const boost::filesystem::path& second_item) noexcept {
    try {
        if (event & shcne::assocchanged) {
            for (const auto& data : data_folders()) {
                refresh_desktop_database(data / "applications");
                refresh_mime_database(data / "mime");
            }
            return;
        }
        if (!(event & item_events)) {
            return;
        }
        for (const auto& data : data_folders()) {
            const boost::filesystem::path applications = data / "applications";
            const bool touched = (!item.empty() && lies_in(item, applications)) ||
                                 (!second_item.empty() && lies_in(second_item, applications));
            if (touched) {
                refresh_desktop_database(applications);
            }
        }
    } catch (...) {
        // Only allocation can throw here, and a notification is not worth failing the caller for.
    }
}

}  // namespace platform::shell
