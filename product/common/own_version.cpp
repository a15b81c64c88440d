#include "own_version.hpp"

#include "platform/version/file_version_info.hpp"
#include "platform/version/version_block.hpp"

namespace quillon {

namespace ver = platform::version;

std::string version_string(std::span<const std::byte> block, const std::string& key) {
    if (block.empty()) {
        return {};
    }
    const auto translations = ver::query_version_value(block, "\\VarFileInfo\\Translation");
    if (!translations) {
        return {};
    }
    for (const ver::translation& t : ver::read_translations(*translations)) {
        if (auto found =
                ver::query_version_value(block, "\\StringFileInfo\\" + ver::string_table_key(t) + "\\" + key)) {
            std::string text = ver::version_value_text(*found);
            while (!text.empty() && text.back() == '\0') {
                text.pop_back();
            }
            return text;
        }
    }
    return {};
}

std::string own_version_string(const std::string& key) {
    return version_string(ver::own_version_info(), key);
}

std::string product_title(std::span<const std::byte> block) {
    std::string title = version_string(block, "ProductName");
    const std::string version = version_string(block, "ProductVersion");
    if (!title.empty() && !version.empty()) {
        title += ' ';
    }
    return title + version;
}

}  // namespace quillon
