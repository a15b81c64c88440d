#include "platform/sync/object_namespace.hpp"

#include "platform/process/win32_error.hpp"
#include "platform/system/system_paths.hpp"

#include <climits>
#include <cstdio>

namespace platform::sync {
namespace {

// The longest object name Windows accepts.
constexpr std::size_t max_object_name = 260;

bool kept_as_is(char c, bool first) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
        return true;
    }
    if (c == '.') {
        return !first;  // no hidden files, no "." or ".."
    }
    return std::string_view("-_{}+=,@~").find(c) != std::string_view::npos;
}

}  // namespace

boost::filesystem::path objects_folder() {
    return system::under_root("run/lock/quillon-objects");
}

std::string object_file_name(std::string_view name) {
    for (const std::string_view prefix : {"Global\\", "Local\\"}) {
        if (name.substr(0, prefix.size()) == prefix) {
            name.remove_prefix(prefix.size());
            break;
        }
    }
    if (name.empty()) {
        throw object_error{process::error_invalid_name};
    }
    if (name.size() > max_object_name) {
        throw object_error{process::error_filename_exced_range};
    }
    if (name.find('\\') != std::string_view::npos) {
        throw object_error{process::error_path_not_found};
    }
    std::string file;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (kept_as_is(name[i], i == 0)) {
            file += name[i];
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(name[i]));
            file += escaped;
        }
    }
    if (file.size() > NAME_MAX) {
        throw object_error{process::error_filename_exced_range};
    }
    return file;
}

}  // namespace platform::sync
