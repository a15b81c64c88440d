#include "platform/shell/theme_icons.hpp"

#include "platform/kernel/atomic_file.hpp"
#include "platform/kernel/file_operations.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/shell/desktop_tool.hpp"

#include <sys/stat.h>

#include <boost/filesystem/operations.hpp>

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform::shell {
namespace {

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;
namespace win32 = platform::kernel::win32;

std::string size_folder(int size) {
    return std::to_string(size) + "x" + std::to_string(size);
}

std::string file_name(std::string_view name) {
    return std::string(name) + ".png";
}

bool is_error(const std::error_code& error, std::uint32_t code) {
    return error.value() == static_cast<int>(code);
}

// Creates each missing folder of the path, outermost first.
std::error_code create_folders(const fs::path& folder) {
    std::vector<fs::path> missing;
    boost::system::error_code probe;
    for (fs::path at = folder; !at.empty(); at = at.parent_path()) {
        if (fs::exists(fs::symlink_status(at, probe))) {
            break;
        }
        missing.push_back(at);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const std::error_code error = kernel::create_folder(*it);
        if (error && !is_error(error, win32::already_exists)) {
            return error;
        }
    }
    return {};
}

std::error_code write_picture(const fs::path& file, const icon_picture& picture) {
    kernel::atomic_file out(file);
    out.set_permissions(0644);
    out.write(picture.png);
    if (!out.commit()) {
        return out.error() ? out.error() : std::make_error_code(std::errc::io_error);
    }
    return {};
}

}  // namespace

std::string program_icon_name(const fs::path& program) {
    std::string name;
    const std::string stem = program.stem().string();
    for (const char c : stem) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            name += c;
        } else if (c >= 'A' && c <= 'Z') {
            name += static_cast<char>(c - 'A' + 'a');
        }
    }
    // FNV-1a: short, and the same on every machine and in every build.
    std::uint32_t hash = 2166136261u;
    for (const char c : program.string()) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(hash));
    return (name.empty() ? std::string("program") : name) + "-" + digits;
}

fs::path hicolor_theme(const fs::path& data_folder) {
    return data_folder / "icons" / "hicolor";
}

std::vector<fs::path> theme_icon_files(const fs::path& theme, const std::vector<icon_picture>& pictures,
                                       std::string_view context, std::string_view name) {
    std::vector<fs::path> files;
    for (const icon_picture& picture : pictures) {
        files.push_back(theme / size_folder(picture.size) / std::string(context) / file_name(name));
    }
    return files;
}

fs::path icon_cache_file(const fs::path& theme) {
    return theme / "icon-theme.cache";
}

std::error_code install_theme_icon(const fs::path& theme, const std::vector<icon_picture>& pictures,
                                   std::string_view context, std::string_view name) {
    std::error_code failure;
    const auto files = theme_icon_files(theme, pictures, context, name);
    for (std::size_t i = 0; i < files.size() && !failure; ++i) {
        failure = create_folders(files[i].parent_path());
        if (!failure) {
            failure = write_picture(files[i], pictures[i]);
        }
    }
    refresh_icon_cache(theme);
    return failure;
}

std::error_code remove_theme_icon(const fs::path& theme, std::string_view context, std::string_view name) {
    std::error_code failure;
    boost::system::error_code error;
    std::vector<fs::path> size_folders;
    for (fs::directory_iterator it(theme, error), end; !error && it != end; it.increment(error)) {
        size_folders.push_back(it->path());
    }
    for (const fs::path& folder : size_folders) {
        const fs::path context_folder = folder / std::string(context);
        const fs::path file = context_folder / file_name(name);
        if (!fs::exists(fs::symlink_status(file, error))) {
            continue;
        }
        if (const std::error_code deleted = kernel::delete_file(file)) {
            failure = failure ? failure : deleted;
            continue;
        }
        // Emptied folders go; the first that holds something else stays, with all above it.
        for (const fs::path& emptied : {context_folder, folder}) {
            if (kernel::remove_folder(emptied)) {
                break;
            }
        }
    }
    for (const fs::path& emptied : {theme, theme.parent_path()}) {
        if (kernel::remove_folder(emptied)) {
            break;
        }
    }
    refresh_icon_cache(theme);
    return failure;
}

void refresh_icon_cache(const fs::path& theme) {
    struct stat status {};
    if (::lstat(icon_cache_file(theme).c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        // Without its index the tool would refuse a theme folder that holds only additions.
        run_desktop_tool({"gtk-update-icon-cache", "--quiet", "--force", "--ignore-theme-index", theme.string()});
    }
}

}  // namespace platform::shell
