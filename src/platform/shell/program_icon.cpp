#include "platform/shell/program_icon.hpp"

#include "platform/resources/resource_module.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace platform::shell {
namespace {

namespace res = platform::resources;

constexpr std::array<std::uint8_t, 8> png_signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Larger pictures are no icon a desktop shows; the limit also keeps a damaged header harmless.
constexpr std::uint32_t largest_icon = 1024;

std::uint32_t read_le(std::span<const std::byte> bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

std::uint32_t read_be32(std::span<const std::byte> bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | std::to_integer<std::uint32_t>(bytes[at + i]);
    }
    return value;
}

// The side of a square PNG picture, read from its header chunk (IHDR, right after the signature).
std::optional<int> square_png_size(std::span<const std::byte> png) {
    if (png.size() < 24 || !std::equal(png_signature.begin(), png_signature.end(), png.begin(),
                                       [](std::uint8_t a, std::byte b) { return std::byte{a} == b; })) {
        return std::nullopt;
    }
    const auto chunk = png.subspan(12, 4);
    if (!std::equal(chunk.begin(), chunk.end(), "IHDR", [](std::byte a, char b) { return a == std::byte(b); })) {
        return std::nullopt;
    }
    const std::uint32_t width = read_be32(png, 16);
    const std::uint32_t height = read_be32(png, 20);
    if (width == 0 || width != height || width > largest_icon) {
        return std::nullopt;
    }
    return static_cast<int>(width);
}

void add_picture(std::vector<icon_picture>& pictures, std::span<const std::byte> png) {
    const auto size = square_png_size(png);
    if (!size ||
        std::any_of(pictures.begin(), pictures.end(), [&](const icon_picture& p) { return p.size == *size; })) {
        return;
    }
    pictures.push_back({*size, std::vector<std::byte>(png.begin(), png.end())});
}

}  // namespace

std::vector<icon_picture> icon_group_pictures(std::span<const std::byte> group) {
    std::vector<icon_picture> pictures;
    if (square_png_size(group)) {
        add_picture(pictures, group);
        return pictures;
    }
    constexpr std::size_t header = 6;
    constexpr std::size_t entry_size = 16;
    if (group.size() < header || read_le(group, 0, 2) != 0 || read_le(group, 2, 2) != 1) {
        return pictures;
    }
    const std::size_t count = read_le(group, 4, 2);
    if (group.size() < header + count * entry_size) {
        return pictures;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = header + i * entry_size;
        const std::uint64_t size = read_le(group, entry + 8, 4);
        const std::uint64_t offset = read_le(group, entry + 12, 4);
        if (offset <= group.size() && size <= group.size() - offset) {
            add_picture(pictures, group.subspan(offset, size));
        }
    }
    std::sort(pictures.begin(), pictures.end(),
              [](const icon_picture& a, const icon_picture& b) { return a.size < b.size; });
    return pictures;
}

std::vector<icon_picture> first_icon_pictures(const boost::filesystem::path& program) {
    const auto module = res::resource_module::open(program);
    if (!module) {
        return {};
    }
    // The table is sorted by type and id: the first group found is the one with the lowest id.
    for (const res::resource_ref& entry : module->entries()) {
        if (entry.type == res::rt_group_icon) {
            return icon_group_pictures(entry.data);
        }
    }
    return {};
}

}  // namespace platform::shell
