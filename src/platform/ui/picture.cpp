#include "platform/ui/picture.hpp"

#include "platform/resources/resource_module.hpp"

#include <QImage>

#include <algorithm>
#include <array>
#include <vector>

namespace platform::ui {
namespace {

namespace res = platform::resources;

std::uint32_t read_u32(std::span<const std::byte> bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(std::to_integer<std::uint8_t>(bytes[at + i])) << (8 * i);
    }
    return value;
}

std::uint16_t read_u16(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<std::uint8_t>(bytes[at]) |
                                      (std::to_integer<std::uint8_t>(bytes[at + 1]) << 8));
}

// A bitmap resource is a DIB without the 14-byte file header that BMP readers expect: rebuild it.
// Empty when the bytes do not start with a DIB header.
std::optional<QByteArray> with_file_header(std::span<const std::byte> dib) {
    constexpr std::array<std::uint32_t, 6> header_sizes = {12, 40, 52, 56, 108, 124};
    if (dib.size() < 16) {
        return std::nullopt;
    }
    const std::uint32_t header = read_u32(dib, 0);
    if (std::find(header_sizes.begin(), header_sizes.end(), header) == header_sizes.end() || dib.size() < header) {
        return std::nullopt;
    }
    std::size_t palette = 0;
    if (header == 12) {
        const std::uint16_t bits = read_u16(dib, 10);
        palette = bits <= 8 ? (std::size_t{1} << bits) * 3 : 0;
    } else {
        const std::uint16_t bits = read_u16(dib, 14);
        const std::uint32_t compression = read_u32(dib, 16);
        const std::uint32_t used = read_u32(dib, 32);
        palette = (used != 0 ? used : (bits <= 8 ? (1u << bits) : 0)) * std::size_t{4};
        if (header == 40 && (compression == 3 || compression == 6)) {
            palette += compression == 3 ? 12 : 16;  // the colour masks follow a short header
        }
    }
    const std::size_t offset = 14 + header + palette;
    const std::size_t size = 14 + dib.size();
    if (offset > size) {
        return std::nullopt;
    }
    QByteArray file;
    file.reserve(static_cast<qsizetype>(size));
    auto put32 = [&file](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            file.append(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    file.append("BM", 2);
    put32(static_cast<std::uint32_t>(size));
    put32(0);
    put32(static_cast<std::uint32_t>(offset));
    file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    return file;
}

}  // namespace

std::optional<CPicture> CPicture::FromBytes(std::span<const std::byte> bytes) {
    auto image = std::make_shared<QImage>();
    if (const auto file = with_file_header(bytes)) {
        image->loadFromData(*file, "BMP");
    } else {
        image->loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
    }
    if (image->isNull()) {
        return std::nullopt;
    }
    return CPicture(std::move(image));
}

std::optional<CPicture> CPicture::FromResource(std::uint32_t type, std::uint32_t id) {
    const auto bytes = res::resource_module::self().find(type, id);
    return bytes ? FromBytes(*bytes) : std::nullopt;
}

std::optional<CPicture> CPicture::LoadBitmap(std::uint32_t id) {
    return FromResource(res::rt_bitmap, id);
}

std::optional<CPicture> CPicture::LoadIcon(std::uint32_t id, int cx, int cy) {
    auto icon = FromResource(res::rt_group_icon, id);
    if (!icon) {
        icon = FromResource(res::rt_icon, id);
    }
    if (icon && (cx > 0 || cy > 0)) {
        return icon->Scaled(cx, cy);
    }
    return icon;
}

int CPicture::Width() const {
    return m_image->width();
}

int CPicture::Height() const {
    return m_image->height();
}

CPicture CPicture::Scaled(int cx, int cy) const {
    if (cx == Width() && cy == Height()) {
        return *this;
    }
    return CPicture(std::make_shared<QImage>(
        m_image->scaled(std::max(cx, 1), std::max(cy, 1), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

}  // namespace platform::ui
