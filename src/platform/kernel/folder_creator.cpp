#include "platform/kernel/folder_creator.hpp"

#include "platform/kernel/unique_fd.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace platform::kernel {
namespace {

// A process's start time in clock ticks since boot: field 22 of /proc/PID/stat, counted after the
// command name, which may itself hold blanks and parentheses.
std::optional<unsigned long long> start_time(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) {
        return std::nullopt;
    }
    const auto name_end = stat.rfind(')');
    if (name_end == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(stat.substr(name_end + 1));
    std::string field;
    for (int number = 3; number < 22; ++number) {  // fields 3 to 21
        fields >> field;
    }
    unsigned long long ticks = 0;
    if (!(fields >> ticks)) {
        return std::nullopt;
    }
    return ticks;
}

std::string read_marker(int folder_fd) {
    const unique_fd marker(::openat(folder_fd, folder_creator_marker, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!marker) {
        return {};
    }
    struct stat facts {};
    if (::fstat(marker.get(), &facts) != 0 || !S_ISREG(facts.st_mode) || facts.st_uid != ::geteuid()) {
        return {};
    }
    char text[64] = {};
    const ssize_t count = ::read(marker.get(), text, sizeof text - 1);
    return count > 0 ? std::string(text, static_cast<std::size_t>(count)) : std::string();
}

}  // namespace

std::error_code mark_folder_creator(const boost::filesystem::path& folder) {
    const auto started = start_time(::getpid());
    if (!started) {
        return {ENOENT, std::generic_category()};
    }
    const std::string text = std::to_string(::getpid()) + " " + std::to_string(*started) + "\n";
    const std::string path = (folder / folder_creator_marker).string();
    const unique_fd marker(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!marker) {
        return {errno, std::generic_category()};
    }
    if (::write(marker.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        return {errno, std::generic_category()};
    }
    return {};
}

bool folder_creator_has_ended(const boost::filesystem::path& folder) {
    const unique_fd folder_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder_fd) {
        return false;
    }
    struct stat facts {};
    if (::fstat(folder_fd.get(), &facts) != 0 || facts.st_uid != ::geteuid() || (facts.st_mode & 077) != 0) {
        return false;
    }
    std::istringstream marker(read_marker(folder_fd.get()));
    long pid = 0;
    unsigned long long ticks = 0;
    if (!(marker >> pid >> ticks) || pid <= 0) {
        return false;  // no marker: not a folder this program can vouch for
    }
    const auto running_since = start_time(pid);
    return !running_since || *running_since != ticks;
}

}  // namespace platform::kernel
