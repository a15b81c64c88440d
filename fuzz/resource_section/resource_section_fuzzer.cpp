// Feeds arbitrary bytes, as a damaged program file, to the resource section reader: the ELF section
// lookup, the resource table inside it, and the section replacement the resource tool performs.
// Every range handed out must lie within the input.
#include "platform/resources/elf_section.hpp"
#include "platform/resources/resource_table.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "resource reader broke a promise: %s\n", what);
        std::abort();
    }
}

bool within(std::span<const std::byte> outer, std::span<const std::byte> inner) {
    return inner.empty() ||
           (inner.data() >= outer.data() && inner.data() + inner.size() <= outer.data() + outer.size());
}

// Reads the table the way the installer does, touching every byte of every resource.
void read_table(std::span<const std::byte> bytes) {
    const auto table = platform::resources::resource_table::parse(bytes);
    if (!table) {
        return;
    }
    unsigned sum = 0;
    for (const auto& entry : table->entries()) {
        require(within(bytes, entry.data), "a resource outside its table");
        for (const std::byte b : entry.data) {
            sum += static_cast<unsigned>(b);
        }
        const auto found = table->find(entry.type, entry.id);
        require(found.has_value(), "a listed resource is not found");
    }
    (void)sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> image(reinterpret_cast<const std::byte*>(data), size);
    namespace res = platform::resources;

    // The input as a resource table by itself, and as a program file holding one.
    read_table(image);
    const auto section = res::find_elf_section(image, res::resource_section_name);
    if (!section) {
        return 0;
    }
    require(section->offset <= size && section->size <= size - section->offset, "a section outside the file");
    const auto bytes = image.subspan(section->offset, section->size);
    read_table(bytes);

    // Replacing the section must give a file in which the new contents are found again.
    const std::byte contents[] = {std::byte{'V'}, std::byte{'N'}, std::byte{'R'}, std::byte{'S'}};
    const auto replaced = res::replace_elf_section(image, res::resource_section_name, contents);
    if (replaced) {
        const auto again = res::find_elf_section(*replaced, res::resource_section_name);
        require(again && again->size == sizeof contents, "the replaced section is not found again");
    }
    return 0;
}
