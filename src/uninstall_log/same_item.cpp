#include "uninstall_log/same_item.hpp"

#include "platform/text/utf_convert.hpp"

#include <sys/stat.h>

#include <boost/filesystem/operations.hpp>

std::string ItemIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        return "I" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    }
    boost::system::error_code ec;
    boost::filesystem::path absolute = boost::filesystem::absolute(path, boost::filesystem::current_path(ec));
    std::string identity = "N";
    for (const auto& component : absolute.lexically_normal()) {
        if (component != "." && !component.empty()) {
            identity += '/';
            identity += platform::text::fold_case(component.string());
        }
    }
    return identity;
}
