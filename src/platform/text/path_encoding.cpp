#include "platform/text/path_encoding.hpp"

#include <boost/filesystem/path.hpp>

#include <codecvt>
#include <cstdlib>
#include <locale>
#include <optional>
#include <string>

namespace platform::text {

void use_utf8_path_names() {
    // The library builds its first converter from the environment the first time it is asked for
    // one, imbue included, and throws when the environment names a locale the machine lacks: for
    // that one moment the environment names the locale that always exists.
    const char* const named = std::getenv("LC_ALL");
    const std::optional<std::string> saved = named ? std::optional<std::string>(named) : std::nullopt;
    ::setenv("LC_ALL", "C", 1);
    (void)boost::filesystem::path::imbue(std::locale(std::locale::classic(), new std::codecvt_utf8<wchar_t>));
    if (saved) {
        ::setenv("LC_ALL", saved->c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
}

}  // namespace platform::text
