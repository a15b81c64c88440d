// The resource table: the bytes that the build puts into the executable's ".vnres" section.
// Stands in for the resource directory of a Windows image (FindResource/LoadResource/SizeofResource).
//
// Layout, little-endian:
//   header   "VNRS", u32 format version (1), u32 entry count, u32 reserved
//   entries  u32 type, u32 id, u64 offset from the table start, u64 size   (sorted by type, id)
//   data     each resource's bytes, 16-byte aligned
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::resources {

// Resource types with their Windows numbers, so that ids read the same as in a resource script.
enum resource_type : std::uint32_t {
    rt_bitmap = 2,
    rt_icon = 3,
    rt_dialog = 5,
    rt_string = 6,
    rt_group_icon = 14,
    rt_version = 16,
    rt_payload = 260,
};

std::string type_name(std::uint32_t type);

struct resource_ref {
    std::uint32_t type = 0;
    std::uint32_t id = 0;
    std::span<const std::byte> data;
};

// A read-only view of a table held elsewhere (a mapped section); never copies the resources.
class resource_table {
public:
    // Empty when the bytes are not a well-formed table (bad magic, entries outside the bytes).
    static std::optional<resource_table> parse(std::span<const std::byte> bytes);

    std::optional<std::span<const std::byte>> find(std::uint32_t type, std::uint32_t id) const;
    const std::vector<resource_ref>& entries() const { return m_entries; }

private:
    std::vector<resource_ref> m_entries;
};

// Builds a table; the resource compiler and the resource tool write their sections with it.
class resource_table_builder {
public:
    // Adds or replaces the resource (type, id).
    void set(std::uint32_t type, std::uint32_t id, std::vector<std::byte> data);
    bool remove(std::uint32_t type, std::uint32_t id);
    std::vector<std::byte> build() const;

private:
    struct item {
        std::uint32_t type;
        std::uint32_t id;
        std::vector<std::byte> data;
    };
    std::vector<item> m_items;
};

}  // namespace platform::resources
