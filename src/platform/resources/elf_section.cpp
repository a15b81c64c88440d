#include "platform/resources/elf_section.hpp"

#include <elf.h>

#include <algorithm>
#include <cstring>

namespace platform::resources {
namespace {

// Moves of later sections keep every alignment an ELF section may ask for.
constexpr std::uint64_t shift_alignment = 4096;

template <typename T>
std::optional<T> read_struct(std::span<const std::byte> image, std::uint64_t offset) {
    if (offset > image.size() || sizeof(T) > image.size() - offset) {
        return std::nullopt;
    }
    T value;
    std::memcpy(&value, image.data() + offset, sizeof(T));
    return value;
}

struct section_headers {
    Elf64_Ehdr header;
    std::vector<Elf64_Shdr> sections;
    std::size_t found = 0;
};

std::optional<section_headers> locate(std::span<const std::byte> image, std::string_view name) {
    auto header = read_struct<Elf64_Ehdr>(image, 0);
    if (!header || std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 || header->e_ident[EI_CLASS] != ELFCLASS64 ||
        header->e_ident[EI_DATA] != ELFDATA2LSB || header->e_shentsize != sizeof(Elf64_Shdr) ||
        header->e_shstrndx >= header->e_shnum) {
        return std::nullopt;
    }
    section_headers result{*header, {}, 0};
    for (std::size_t i = 0; i < header->e_shnum; ++i) {
        auto section = read_struct<Elf64_Shdr>(image, header->e_shoff + i * sizeof(Elf64_Shdr));
        if (!section) {
            return std::nullopt;
        }
        result.sections.push_back(*section);
    }
    const Elf64_Shdr& names = result.sections[header->e_shstrndx];
    if (names.sh_offset > image.size() || names.sh_size > image.size() - names.sh_offset) {
        return std::nullopt;
    }
    const auto* table = reinterpret_cast<const char*>(image.data() + names.sh_offset);
    for (std::size_t i = 0; i < result.sections.size(); ++i) {
        const auto at = result.sections[i].sh_name;
        if (at >= names.sh_size) {
            continue;
        }
        const std::string_view section_name(table + at, strnlen(table + at, names.sh_size - at));
        if (section_name == name && result.sections[i].sh_type != SHT_NOBITS) {
            const Elf64_Shdr& s = result.sections[i];
            if (s.sh_offset > image.size() || s.sh_size > image.size() - s.sh_offset) {
                return std::nullopt;
            }
            result.found = i;
            return result;
        }
    }
    return std::nullopt;
}

bool overlaps(std::uint64_t start, std::uint64_t end, std::uint64_t other_start, std::uint64_t other_end) {
    return start < other_end && other_start < end;
}

// Whether the section's bytes are its own: they share nothing with the file header, the section
// header table or another section. A damaged file where they do cannot be rewritten safely.
bool stands_alone(const section_headers& headers) {
    const Elf64_Shdr& target = headers.sections[headers.found];
    const std::uint64_t start = target.sh_offset;
    const std::uint64_t end = start + target.sh_size;
    const std::uint64_t table_start = headers.header.e_shoff;
    const std::uint64_t table_end = table_start + headers.sections.size() * sizeof(Elf64_Shdr);
    if (table_end < table_start || overlaps(start, end, 0, sizeof(Elf64_Ehdr)) ||
        overlaps(start, end, table_start, table_end)) {
        return false;
    }
    for (std::size_t i = 0; i < headers.sections.size(); ++i) {
        const Elf64_Shdr& other = headers.sections[i];
        if (i != headers.found && other.sh_type != SHT_NOBITS &&
            overlaps(start, end, other.sh_offset, other.sh_offset + other.sh_size)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<file_range> find_elf_section(std::span<const std::byte> image, std::string_view name) {
    const auto headers = locate(image, name);
    if (!headers) {
        return std::nullopt;
    }
    const Elf64_Shdr& s = headers->sections[headers->found];
    return file_range{s.sh_offset, s.sh_size};
}

std::optional<std::vector<std::byte>> replace_elf_section(std::span<const std::byte> image, std::string_view name,
                                                          std::span<const std::byte> contents) {
    auto headers = locate(image, name);
    if (!headers) {
        return std::nullopt;
    }
    Elf64_Shdr& target = headers->sections[headers->found];
    // The table of section names, named like the section, would lose the names with its contents.
    if ((target.sh_flags & SHF_ALLOC) != 0 || headers->found == headers->header.e_shstrndx || !stands_alone(*headers)) {
        return std::nullopt;
    }
    const std::uint64_t old_start = target.sh_offset;
    const std::uint64_t old_end = old_start + target.sh_size;
    // Loaded segments must lie before the section: nothing the loader maps may move.
    for (std::size_t i = 0; i < headers->header.e_phnum; ++i) {
        auto segment = read_struct<Elf64_Phdr>(image, headers->header.e_phoff + i * sizeof(Elf64_Phdr));
        if (!segment || (segment->p_filesz != 0 && segment->p_offset + segment->p_filesz > old_start)) {
            return std::nullopt;
        }
    }

    // The bytes after the old section move by a multiple of the alignment, so every later section
    // keeps its alignment; the new contents fit between.
    const auto align = static_cast<std::int64_t>(shift_alignment);
    const std::int64_t need =
        static_cast<std::int64_t>(old_start + contents.size()) - static_cast<std::int64_t>(old_end);
    const std::int64_t shift = need <= 0 ? -((-need) / align) * align : (need + align - 1) / align * align;
    auto moved = [&](std::uint64_t offset) {
        return offset >= old_end ? static_cast<std::uint64_t>(static_cast<std::int64_t>(offset) + shift) : offset;
    };

    std::vector<std::byte> out(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(old_start));
    out.insert(out.end(), contents.begin(), contents.end());
    out.resize(moved(old_end));
    out.insert(out.end(), image.begin() + static_cast<std::ptrdiff_t>(old_end), image.end());

    target.sh_size = contents.size();
    for (std::size_t i = 0; i < headers->sections.size(); ++i) {
        if (i != headers->found && headers->sections[i].sh_offset >= old_end) {
            headers->sections[i].sh_offset = moved(headers->sections[i].sh_offset);
        }
    }
    headers->header.e_shoff = moved(headers->header.e_shoff);
    if (headers->header.e_shoff > out.size() ||
        headers->sections.size() * sizeof(Elf64_Shdr) > out.size() - headers->header.e_shoff) {
        return std::nullopt;
    }
    std::memcpy(out.data(), &headers->header, sizeof(Elf64_Ehdr));
    for (std::size_t i = 0; i < headers->sections.size(); ++i) {
        std::memcpy(out.data() + headers->header.e_shoff + i * sizeof(Elf64_Shdr), &headers->sections[i],
                    sizeof(Elf64_Shdr));
    }
    return out;
}

}  // namespace platform::resources
