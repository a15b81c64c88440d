#include "platform/shell/program_icon.hpp"

#include "platform/resources/resource_module.hpp"
#include "platform/resources/resource_table.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace shell = platform::shell;

namespace {

using bytes = std::vector<std::byte>;

bytes picture(int width, int height, const char* format = "PNG") {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 200));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    const auto* first = reinterpret_cast<const std::byte*>(data.constData());
    return bytes(first, first + data.size());
}

void put(bytes& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
    }
}

struct entry {
    bytes data;
    std::uint32_t offset_shift = 0;  // added to the true offset, to point outside the group
};

// An icon directory of the entries, with `count` in its header (their number unless given).
bytes directory(const std::vector<entry>& entries, int count = -1, std::uint32_t type = 1) {
    bytes out;
    put(out, 0, 2);
    put(out, type, 2);
    put(out, count < 0 ? static_cast<std::uint32_t>(entries.size()) : static_cast<std::uint32_t>(count), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const entry& e : entries) {
        put(out, 0, 4);  // size, colours, reserved: not read
        put(out, 1, 2);
        put(out, 32, 2);
        put(out, static_cast<std::uint32_t>(e.data.size()), 4);
        put(out, offset + e.offset_shift, 4);
        offset += static_cast<std::uint32_t>(e.data.size());
    }
    for (const entry& e : entries) {
        out.insert(out.end(), e.data.begin(), e.data.end());
    }
    return out;
}

std::vector<int> sizes_of(const std::vector<shell::icon_picture>& pictures) {
    std::vector<int> sizes;
    for (const auto& p : pictures) {
        sizes.push_back(p.size);
    }
    return sizes;
}

}  // namespace

TEST(ProgramIcon, AGroupGivesItsSquarePngPicturesSmallestFirst) {
    const bytes p16 = picture(16, 16);
    const bytes p32 = picture(32, 32);
    const struct {
        const char* what;
        bytes group;
        std::vector<int> sizes;
    } cases[] = {
        {"one PNG", p16, {16}},
        {"a directory", directory({{p32}, {p16}}), {16, 32}},
        {"a size twice: the first counts", directory({{p32}, {picture(32, 32, "PNG")}}), {32}},
        {"not square", directory({{picture(18, 12)}, {p16}}), {16}},
        {"not PNG", directory({{picture(16, 16, "BMP")}, {p32}}), {32}},
        {"a picture outside the group", directory({{p16, 1}, {p32}}), {32}},
        {"more entries counted than there are", directory({{p16}}, 40), {}},
        {"not an icon directory", directory({{p16}}, -1, 2), {}},
        {"a cut header", bytes(p16.begin(), p16.begin() + 20), {}},
        {"nothing", bytes(), {}},
    };
    for (const auto& c : cases) {
        const auto pictures = shell::icon_group_pictures(c.group);
        EXPECT_EQ(sizes_of(pictures), c.sizes) << c.what;
        for (const auto& p : pictures) {
            EXPECT_EQ(p.png, p.size == 16 ? p16 : p32) << c.what;
        }
    }
}

TEST(ProgramIcon, TheFirstIconIsTheGroupWithTheLowestId) {
    // This test program carries the installer's resources: icon 128 first, then the flags.
    const auto own = platform::resources::resource_module::self().find(platform::resources::rt_group_icon, 128);
    ASSERT_TRUE(own);
    const auto pictures = shell::first_icon_pictures("/proc/self/exe");
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].png, bytes(own->begin(), own->end()));

    EXPECT_TRUE(shell::first_icon_pictures("/bin/sh").empty()) << "a program without resources";
    EXPECT_TRUE(shell::first_icon_pictures("/nonexistent/program").empty());
}
