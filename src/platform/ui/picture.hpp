// A picture from the program's resources: PNG, BMP (with or without its file header, as a bitmap
// resource stores it) or ICO bytes. Stands in for LoadImageW/LoadBitmapW/LoadIconW with the
// resource types RT_BITMAP, RT_GROUP_ICON and RT_ICON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

class QImage;

namespace platform::ui {

class CPicture {
public:
    // Empty when the bytes hold no picture Qt can read.
    static std::optional<CPicture> FromBytes(std::span<const std::byte> bytes);
    // The resource (type, id) of the running program.
    static std::optional<CPicture> FromResource(std::uint32_t type, std::uint32_t id);
    static std::optional<CPicture> LoadBitmap(std::uint32_t id);
    // An icon (group icon, else single icon resource); scaled to cx by cy unless both are 0.
    static std::optional<CPicture> LoadIcon(std::uint32_t id, int cx = 0, int cy = 0);

    int Width() const;
    int Height() const;
    CPicture Scaled(int cx, int cy) const;
    const QImage& Image() const { return *m_image; }

private:
    explicit CPicture(std::shared_ptr<const QImage> image) : m_image(std::move(image)) {}
    std::shared_ptr<const QImage> m_image;
};

}  // namespace platform::ui
