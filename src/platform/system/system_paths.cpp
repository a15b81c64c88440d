#include "platform/system/system_paths.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace platform::system {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// XDG variables count only when absolute, as the base-directory rules say.
boost::filesystem::path xdg_or(const char* name, const char* fallback_under_home) {
    const std::string value = environment(name);
    if (!value.empty() && value.front() == '/') {
        return value;
    }
    return home_folder() / fallback_under_home;
}

}  // namespace

boost::filesystem::path system_root() {
    const std::string root = environment("SETUP_SYSTEM_ROOT");
    return root.empty() ? boost::filesystem::path("/") : boost::filesystem::path(root);
}

boost::filesystem::path under_root(const boost::filesystem::path& relative) {
    return system_root() / relative.relative_path();
}

boost::filesystem::path home_folder() {
    const std::string home = environment("HOME");
    if (!home.empty()) {
        return home;
    }
    const passwd* entry = getpwuid(geteuid());
    return entry && entry->pw_dir ? boost::filesystem::path(entry->pw_dir) : boost::filesystem::path("/");
}

boost::filesystem::path xdg_data_home() { return xdg_or("XDG_DATA_HOME", ".local/share"); }

boost::filesystem::path xdg_config_home() { return xdg_or("XDG_CONFIG_HOME", ".config"); }

boost::filesystem::path temp_folder() {
    std::string folder = environment("TMPDIR");
    if (folder.empty() || folder.front() != '/') {
        folder = "/tmp";
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace platform::system
