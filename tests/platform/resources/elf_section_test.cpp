#include "platform/resources/elf_section.hpp"

#include "support/file_content.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace res = platform::resources;

TEST(ElfSection, TheTableOfSectionNamesIsNeverReplaced) {
    // A damaged program whose table of section names carries the resource section's name: replacing
    // it would leave a file in which no section has a name, the new one included.
    const std::string file =
        test_support::read_file(QUILLON_SOURCE_DIR "/fuzz/resource_section/corpus/section-is-the-names-table");
    const std::span image(reinterpret_cast<const std::byte*>(file.data()), file.size());
    ASSERT_TRUE(res::find_elf_section(image, res::resource_section_name));
    const std::byte contents[] = {std::byte{'V'}, std::byte{'N'}};
    EXPECT_FALSE(res::replace_elf_section(image, res::resource_section_name, contents));
}
