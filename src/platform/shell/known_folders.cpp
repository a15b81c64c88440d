#include "platform/shell/known_folders.hpp"

#include "platform/system/system_paths.hpp"

#include <fstream>
#include <string>
#include <string_view>

namespace platform::shell {
namespace {

namespace sys = platform::system;

struct user_dir {
    enum class state { absent, disabled, set } kind = state::absent;
    boost::filesystem::path folder;
};

// One "XDG_<NAME>_DIR=\"value\"" line of user-dirs.dirs, read as the xdg-user-dirs tools read it: the
// value is "$HOME", "$HOME/..." or an absolute path, with backslash escapes inside the quotes.
std::optional<user_dir> parse_user_dir_line(std::string_view line, std::string_view key) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line.substr(first, key.size()) != key) {
        return std::nullopt;
    }
    line.remove_prefix(first + key.size());
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (line.empty() || line.front() != '=') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    const bool quoted = !line.empty() && line.front() == '"';
    if (quoted) {
        line.remove_prefix(1);
    }
    std::string value;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"') {
            break;
        }
        if (c == '\\' && i + 1 < line.size()) {
            value += line[++i];
        } else {
            value += c;
        }
    }
    while (value.size() > 1 && value.back() == '/') {
        value.pop_back();
    }
    constexpr std::string_view home_token = "$HOME";
    if (value.rfind(home_token, 0) == 0) {
        const std::string rest = value.substr(home_token.size());
        if (rest.find_first_not_of('/') == std::string::npos) {
            // Pointing a folder at HOME itself is how a user turns it off.
            return user_dir{user_dir::state::disabled, {}};
        }
        if (rest.front() != '/') {
            return std::nullopt;
        }
        return user_dir{user_dir::state::set, sys::home_folder() / rest.substr(rest.find_first_not_of('/'))};
    }
    if (!value.empty() && value.front() == '/') {
        return user_dir{user_dir::state::set, value};
    }
    return std::nullopt;
}

user_dir read_user_dir(std::string_view name) {
    const std::string key = "XDG_" + std::string(name) + "_DIR";
    std::ifstream file((sys::xdg_config_home() / "user-dirs.dirs").string());
    user_dir found;
    std::string line;
    while (std::getline(file, line)) {
        if (auto entry = parse_user_dir_line(line, key)) {
            found = *entry;  // a later line wins, as in the shell that sources the file
        }
    }
    return found;
}

std::optional<boost::filesystem::path> user_dir_or(std::string_view name, const char* default_under_home) {
    const user_dir dir = read_user_dir(name);
    switch (dir.kind) {
        case user_dir::state::set:
            return dir.folder;
        case user_dir::state::disabled:
            return std::nullopt;
        case user_dir::state::absent:
            break;
    }
    return sys::home_folder() / default_under_home;
}

}  // namespace

std::optional<boost::filesystem::path> documents_folder() {
    return user_dir_or("DOCUMENTS", "Documents");
}

std::optional<boost::filesystem::path> desktop_folder() {
    return user_dir_or("DESKTOP", "Desktop");
}

std::optional<boost::filesystem::path> special_folder(int id) {
    switch (id) {
        case csidl::program_files:
            return sys::under_root("opt");
        case csidl::program_files_common:
            return sys::under_root("usr/local/lib");
        case csidl::common_appdata:
            return sys::under_root("var/opt");
        case csidl::common_startmenu:
            return sys::under_root("usr/local/share");
        case csidl::common_programs:
            return sys::under_root("usr/local/share/applications");
        case csidl::windows:
            return sys::under_root("usr");
        case csidl::system:
            return sys::under_root("usr/lib");
        // Linux keeps no roaming profile, so local and roaming application data are one place.
        case csidl::startmenu:
        case csidl::appdata:
        case csidl::local_appdata:
            return sys::xdg_data_home();
        case csidl::programs:
            return sys::xdg_data_home() / "applications";
        case csidl::personal:
            return documents_folder();
        case csidl::desktop:
        case csidl::desktopdirectory:
            return desktop_folder();
        default:
            // common_documents, common_desktopdirectory and everything unknown.
            return std::nullopt;
    }
}

}  // namespace platform::shell
