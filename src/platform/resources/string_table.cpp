#include "platform/resources/string_table.hpp"

#include <cstring>

namespace platform::resources {
namespace {

std::uint32_t read_u32(const std::byte* p) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(std::to_integer<std::uint8_t>(p[i])) << (8 * i);
    }
    return value;
}

void append_u32(std::vector<std::byte>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
    }
}

}  // namespace

std::vector<std::byte> encode_string_table(const std::map<std::uint32_t, std::string>& texts) {
    std::vector<std::byte> out;
    for (const auto& [number, text] : texts) {
        append_u32(out, number);
        append_u32(out, static_cast<std::uint32_t>(text.size()));
        for (char c : text) {
            out.push_back(static_cast<std::byte>(c));
        }
        out.resize((out.size() + 3) / 4 * 4);
    }
    return out;
}

std::optional<std::string_view> find_string(std::span<const std::byte> table, std::uint32_t number) {
    std::size_t at = 0;
    while (table.size() - at >= 8) {
        const std::uint32_t current = read_u32(table.data() + at);
        const std::uint32_t length = read_u32(table.data() + at + 4);
        at += 8;
        if (length > table.size() - at) {
            return std::nullopt;
        }
        if (current == number) {
            return std::string_view(reinterpret_cast<const char*>(table.data() + at), length);
        }
        at += (static_cast<std::size_t>(length) + 3) / 4 * 4;
        if (current > number || at > table.size()) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> load_string(const resource_module& module, std::uint32_t number) {
    const auto table = module.find(rt_string, string_block_of(number));
    return table ? find_string(*table, number) : std::nullopt;
}

}  // namespace platform::resources
