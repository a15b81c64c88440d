#include "uninstaller_texts.hpp"

#include "platform/registry/key.hpp"
#include "platform/resources/string_table.hpp"
#include "uninstall_run.hpp"

namespace quillon {

namespace reg = platform::registry;

std::uint32_t recorded_product_language() {
    auto key = reg::Key::open(reg::hive::local_machine, uninstall_key_path);
    if (!key) {
        return english_language;
    }
    auto value = key->query("VnLanguage");
    if (!value || value->type != reg::value_type::dword || value->data.size() != 4) {
        return english_language;
    }
    const auto& d = value->data;
    return d[0] | d[1] << 8 | d[2] << 16 | std::uint32_t{d[3]} << 24;
}

std::string uninstaller_texts::operator()(uninstaller_text text, const std::string& argument) const {
    const auto number = static_cast<std::uint32_t>(text);
    auto found =
        m_language < 64 ? platform::resources::load_string(m_module, number + 1000 * m_language) : std::nullopt;
    if (!found) {
        found = platform::resources::load_string(m_module, number + 1000 * english_language);
    }
    std::string result(found.value_or(std::string_view()));
    if (const auto marker = result.find("%1"); marker != std::string::npos) {
        result.replace(marker, 2, argument);
    }
    return result;
}

}  // namespace quillon
