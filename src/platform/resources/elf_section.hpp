// Finds and replaces the resource section of an ELF program file. The section is not loaded into
// memory by the program loader (no SHF_ALLOC), so it may grow or shrink without moving any code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace platform::resources {

inline constexpr std::string_view resource_section_name = ".vnres";

struct file_range {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// Where the named section's bytes lie in the image; empty when the image is not a well-formed
// 64-bit little-endian ELF file or has no such section.
std::optional<file_range> find_elf_section(std::span<const std::byte> image, std::string_view name);

// The image with the named section's contents replaced by `contents`; the sections and the section
// header table that follow it move by the size difference. Empty when the section is missing or is
// loaded at run time (then moving it would break the program).
std::optional<std::vector<std::byte>> replace_elf_section(std::span<const std::byte> image, std::string_view name,
                                                         std::span<const std::byte> contents);

}  // namespace platform::resources
