#include "platform/registry/hive.hpp"

#include "platform/system/system_paths.hpp"

#include <boost/algorithm/string/predicate.hpp>

namespace platform::registry {

std::string hive_name(hive h) {
    return h == hive::local_machine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

boost::filesystem::path hive_file(hive h) {
    if (h == hive::local_machine) {
        return system::under_root("var/lib/quillon-registry/machine.db");
    }
    return system::xdg_config_home() / "quillon-registry" / "user.db";
}

std::optional<full_key_name> parse_full_key_name(std::string_view name) {
    const auto separator = name.find('\\');
    const std::string_view root = name.substr(0, separator);
    const std::string_view path = separator == std::string_view::npos ? std::string_view{} : name.substr(separator + 1);
    struct alias {
        const char* name;
        hive h;
    };
    static constexpr alias aliases[] = {{"HKEY_LOCAL_MACHINE", hive::local_machine},
                                        {"HKLM", hive::local_machine},
                                        {"HKEY_CURRENT_USER", hive::current_user},
                                        {"HKCU", hive::current_user}};
    for (const auto& a : aliases) {
        if (boost::algorithm::iequals(root, a.name)) {
            return full_key_name{a.h, std::string(path)};
        }
    }
    return std::nullopt;
}

}  // namespace platform::registry
