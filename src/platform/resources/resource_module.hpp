// The resources of a program file, found by (type, id) and read in place from a read-only mapping
// of the file. Stands in for GetModuleHandle/LoadLibraryEx(LOAD_LIBRARY_AS_DATAFILE) with
// FindResourceW, LoadResource, LockResource and SizeofResource.
#pragma once

#include "platform/resources/resource_table.hpp"

#include <boost/filesystem/path.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <span>

namespace platform::resources {

class resource_module {
public:
    // The running program's own resources; the mapping lives until the process ends. A program
    // without a resource section has an empty table.
    static const resource_module& self();

    // Another program file's resources; empty when the file cannot be read or is not a program file.
    // A program file without resources opens with an empty table.
    static std::optional<resource_module> open(const boost::filesystem::path& file);

    std::optional<std::span<const std::byte>> find(std::uint32_t type, std::uint32_t id) const;
    const std::vector<resource_ref>& entries() const;
    bool has_section() const { return m_table.has_value(); }

    resource_module(resource_module&&) noexcept;
    resource_module& operator=(resource_module&&) noexcept;
    ~resource_module();

private:
    struct mapping;
    explicit resource_module(std::unique_ptr<mapping> map);

    std::unique_ptr<mapping> m_map;
    std::optional<resource_table> m_table;
};

}  // namespace platform::resources
