#include "runtime_version.hpp"

#include "platform/registry/key.hpp"
#include "platform/shell/known_folders.hpp"

#include <cstdio>
#include <sstream>

namespace dsetup {

namespace reg = platform::registry;

std::optional<runtime_version> parse_runtime_version(const std::string& text) {
    unsigned parts[4] = {};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? text.find('.', at) : text.size();
        if (end == std::string::npos || end == at || end - at > 5) {
            return std::nullopt;
        }
        unsigned number = 0;
        for (std::size_t k = at; k < end; ++k) {
            if (text[k] < '0' || text[k] > '9') {
                return std::nullopt;
            }
            number = number * 10 + static_cast<unsigned>(text[k] - '0');
        }
        if (number > 0xFFFF) {
            return std::nullopt;
        }
        parts[i] = number;
        at = end + 1;
    }
    return runtime_version{parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]};
}

std::string runtime_version_text(const runtime_version& version) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u.%02u.%04u", version.version >> 16, version.version & 0xFFFF,
                  version.revision >> 16, version.revision & 0xFFFF);
    return text;
}

std::optional<runtime_version> recorded_runtime_version() {
    auto key = reg::Key::open(reg::hive::local_machine, runtime_key);
    if (!key) {
        return std::nullopt;
    }
    auto text = key->query_string(runtime_version_value);
    return text ? parse_runtime_version(*text) : std::nullopt;
}

std::error_code record_runtime_version(const runtime_version& version) {
    auto key = reg::Key::create(reg::hive::local_machine, runtime_key);
    if (!key) {
        return key.error();
    }
    return key->key.set_string(runtime_version_value, runtime_version_text(version));
}

boost::filesystem::path runtime_folder() {
    auto system = platform::shell::special_folder(platform::shell::csidl::system);
    return system ? *system / "directx" : boost::filesystem::path();
}

}  // namespace dsetup
