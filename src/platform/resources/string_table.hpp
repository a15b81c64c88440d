// String-table resources: numbered UTF-8 texts. Stands in for LoadStringW.
// One resource (type rt_string) holds the texts numbered from 1000*id to 1000*id + 999, which is
// one interface language of the installer. Layout, little-endian, sorted by number:
//   per text: u32 number, u32 byte length, the UTF-8 bytes, zero padding to a multiple of 4.
#pragma once

#include "platform/resources/resource_module.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::resources {

inline constexpr std::uint32_t string_block_size = 1000;

constexpr std::uint32_t string_block_of(std::uint32_t number) { return number / string_block_size; }

std::vector<std::byte> encode_string_table(const std::map<std::uint32_t, std::string>& texts);

// The text numbered `number` in an encoded table, in place; empty when absent or malformed.
std::optional<std::string_view> find_string(std::span<const std::byte> table, std::uint32_t number);

// The text of a module's string tables; empty when the module has none by that number.
std::optional<std::string_view> load_string(const resource_module& module, std::uint32_t number);

}  // namespace platform::resources
