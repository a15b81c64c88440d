#include "platform/shell/change_notify.hpp"

#include "platform/shell/desktop_tool.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/path_functions.hpp"

#include <sys/stat.h>

#include <vector>

namespace platform::shell {
namespace {

bool is_folder(const boost::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
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

constexpr const char* desktop_database_name = "mimeinfo.cache";

void refresh_desktop_database(const boost::filesystem::path& applications) {
    if (is_folder(applications)) {
        run_desktop_tool({"update-desktop-database", "-q", applications.string()});
    }
}

// A file added or removed changes the database only when there is one: an entry without a MIME type
// is found by reading the folder, and a database made for it would outlive everything we installed.
void refresh_existing_desktop_database(const boost::filesystem::path& applications) {
    struct stat status {};
    if (::lstat((applications / desktop_database_name).c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        refresh_desktop_database(applications);
    }
}

void refresh_mime_database(const boost::filesystem::path& mime) {
    // The tool refuses a folder without packages, and there is nothing to build then.
    if (is_folder(mime / "packages")) {
        run_desktop_tool({"update-mime-database", mime.string()});
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
                refresh_existing_desktop_database(applications);
            }
        }
    } catch (...) {
        // Only allocation can throw here, and a notification is not worth failing the caller for.
    }
}

}  // namespace platform::shell
