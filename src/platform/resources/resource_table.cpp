#include "platform/resources/resource_table.hpp"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace platform::resources {
namespace {

constexpr char magic[4] = {'V', 'N', 'R', 'S'};
constexpr std::uint32_t format_version = 1;
constexpr std::size_t header_size = 16;
constexpr std::size_t entry_size = 24;
constexpr std::size_t data_alignment = 16;

template <typename T>
T read_le(const std::byte* p) {
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        value |= static_cast<T>(std::to_integer<std::uint8_t>(p[i])) << (8 * i);
    }
    return value;
}

template <typename T>
void append_le(std::vector<std::byte>& out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
    }
}

}  // namespace

std::string type_name(std::uint32_t type) {
    switch (type) {
    case rt_bitmap: return "BITMAP";
    case rt_icon: return "ICON";
    case rt_dialog: return "DIALOG";
    case rt_string: return "STRING";
    case rt_group_icon: return "GROUP_ICON";
    case rt_version: return "VERSION";
    case rt_payload: return "PAYLOAD";
    default: return std::to_string(type);
    }
}

std::optional<resource_table> resource_table::parse(std::span<const std::byte> bytes) {
    if (bytes.size() < header_size || std::memcmp(bytes.data(), magic, sizeof magic) != 0 ||
        read_le<std::uint32_t>(bytes.data() + 4) != format_version) {
        return std::nullopt;
    }
    const auto count = read_le<std::uint32_t>(bytes.data() + 8);
    if (count > (bytes.size() - header_size) / entry_size) {
        return std::nullopt;
    }
    resource_table table;
    table.m_entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::byte* e = bytes.data() + header_size + i * entry_size;
        const auto offset = read_le<std::uint64_t>(e + 8);
        const auto size = read_le<std::uint64_t>(e + 16);
        if (offset > bytes.size() || size > bytes.size() - offset) {
            return std::nullopt;
        }
        table.m_entries.push_back({read_le<std::uint32_t>(e), read_le<std::uint32_t>(e + 4),
                                   bytes.subspan(offset, size)});
    }
    return table;
}

std::optional<std::span<const std::byte>> resource_table::find(std::uint32_t type, std::uint32_t id) const {
    for (const auto& entry : m_entries) {
        if (entry.type == type && entry.id == id) {
            return entry.data;
        }
    }
    return std::nullopt;
}

void resource_table_builder::set(std::uint32_t type, std::uint32_t id, std::vector<std::byte> data) {
    remove(type, id);
    m_items.push_back({type, id, std::move(data)});
}

bool resource_table_builder::remove(std::uint32_t type, std::uint32_t id) {
    return std::erase_if(m_items, [&](const item& i) { return i.type == type && i.id == id; }) != 0;
}

std::vector<std::byte> resource_table_builder::build() const {
    std::vector<const item*> sorted;
    for (const auto& i : m_items) {
        sorted.push_back(&i);
    }
    std::sort(sorted.begin(), sorted.end(),
              [](const item* a, const item* b) { return std::tie(a->type, a->id) < std::tie(b->type, b->id); });

    auto align = [](std::size_t n) { return (n + data_alignment - 1) / data_alignment * data_alignment; };
    std::vector<std::byte> out;
    for (char c : magic) {
        out.push_back(static_cast<std::byte>(c));
    }
    append_le<std::uint32_t>(out, format_version);
    append_le<std::uint32_t>(out, static_cast<std::uint32_t>(sorted.size()));
    append_le<std::uint32_t>(out, 0);
    std::size_t offset = align(header_size + sorted.size() * entry_size);
    for (const item* i : sorted) {
        append_le<std::uint32_t>(out, i->type);
        append_le<std::uint32_t>(out, i->id);
        append_le<std::uint64_t>(out, offset);
        append_le<std::uint64_t>(out, i->data.size());
        offset = align(offset + i->data.size());
    }
    for (const item* i : sorted) {
        out.resize(align(out.size()));
        out.insert(out.end(), i->data.begin(), i->data.end());
    }
    return out;
}

}  // namespace platform::resources
