#include "platform/shell/user_folders.hpp"

#include "platform/shell/known_folders.hpp"
#include "platform/system/system_paths.hpp"

#include <algorithm>
#include <optional>

namespace platform::shell {
namespace {

namespace fs = boost::filesystem;

fs::path cleared(const fs::path& path) {
    return path.lexically_normal();
}

bool lies_under(const fs::path& path, const fs::path& folder) {
    const fs::path base = cleared(folder);
    // The root folder is no one's own, whatever HOME says.
    if (!base.is_absolute() || base == base.root_path() || base.relative_path() == ".") {
        return false;
    }
    auto inside = path.begin();
    for (auto element = base.begin(); element != base.end(); ++element, ++inside) {
        if (element->empty() || *element == ".") {
            break;  // the trailing separator of a folder
        }
        if (inside == path.end() || *inside != *element) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool in_user_folders(const fs::path& path) {
    if (!path.is_absolute()) {
        return false;
    }
    const fs::path target = cleared(path);
    const std::optional<fs::path> folders[] = {system::home_folder(), system::xdg_data_home(),
                                               system::xdg_config_home(), documents_folder(), desktop_folder()};
    return std::any_of(std::begin(folders), std::end(folders),
                       [&](const std::optional<fs::path>& folder) { return folder && lies_under(target, *folder); });
}

}  // namespace platform::shell
