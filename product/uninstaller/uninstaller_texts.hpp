// The uninstaller's window texts, from the string tables of its own resources, in the language the
// installation recorded (VnLanguage under the product's Uninstall key). A text is asked for by its
// French number; each language's copy is that number plus 1000 for every language before it in the
// installer's language list. A language the uninstaller has no texts in, a missing or unreadable
// value, and a text missing from a table read as English.
#pragma once

#include "platform/resources/resource_module.hpp"

#include <cstdint>
#include <string>

namespace quillon {

enum class uninstaller_text : std::uint32_t {
    title = 1000,
    question = 1001,
    yes = 1002,
    no = 1003,
    removing = 1004,
    removed_all = 1005,
    removed_but = 1006,
    removed_heading = 1007,
    kept_heading = 1008,
    not_removed_heading = 1009,
    kept_changed = 1010,
    kept_preexisting = 1011,
    kept_holds_other_files = 1012,
    kept_shared_component = 1013,
    record_not_used = 1014,
    product_running = 1015,
    retry = 1016,
    cancel = 1017,
    close = 1018,
};

inline constexpr std::uint32_t english_language = 1;

// The language the installation recorded; English when there is none.
std::uint32_t recorded_product_language();

class uninstaller_texts {
public:
    uninstaller_texts(const platform::resources::resource_module& module, std::uint32_t language)
        : m_module(module), m_language(language) {}

    // The text with "%1" replaced by `argument`.
    std::string operator()(uninstaller_text text, const std::string& argument = {}) const;

private:
    const platform::resources::resource_module& m_module;
    std::uint32_t m_language;
};

}  // namespace quillon
