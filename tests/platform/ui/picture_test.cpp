#include "platform/ui/picture.hpp"
#include "ui_test.hpp"

#include <QBuffer>
#include <QImage>

#include <span>

using platform::ui::CPicture;

namespace {

std::span<const std::byte> bytes_of(const QByteArray& data) {
    return std::as_bytes(std::span(data.constData(), static_cast<std::size_t>(data.size())));
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return data;
}

// A 256-colour picture like the banner: a palette and one colour per column.
QImage palette_picture() {
    QImage image(5, 3, QImage::Format_Indexed8);
    image.setColorCount(256);
    for (int i = 0; i < 256; ++i) {
        image.setColor(i, qRgb(i, 255 - i, (i * 7) & 0xFF));
    }
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, static_cast<uint>(x * 40 + y));
        }
    }
    return image;
}

class Pictures : public ui_test::ui_fixture {};

}  // namespace

TEST_F(Pictures, ReadPngBmpFilesAndBitmapResourcesWithoutTheirFileHeader) {
    const QImage original = palette_picture();
    const QByteArray png = encoded(original, "PNG");
    const QByteArray bmp = encoded(original, "BMP");
    const QByteArray dib = bmp.mid(14);  // what a bitmap resource holds
    for (const QByteArray* data : {&png, &bmp, &dib}) {
        const auto picture = CPicture::FromBytes(bytes_of(*data));
        ASSERT_TRUE(picture);
        ASSERT_EQ(picture->Image().size(), original.size());
        for (int x = 0; x < original.width(); ++x) {
            EXPECT_EQ(picture->Image().pixel(x, 2), original.pixel(x, 2)) << "column " << x;
        }
    }
    EXPECT_FALSE(CPicture::FromBytes(bytes_of(QByteArray("not a picture"))));
    EXPECT_FALSE(CPicture::FromBytes(bytes_of(dib.left(30))));  // a header without its pixels
    EXPECT_FALSE(CPicture::LoadBitmap(59999));
}

TEST_F(Pictures, ScaleToTheSizeAskedFor) {
    const auto picture = CPicture::FromBytes(bytes_of(encoded(palette_picture(), "PNG")));
    ASSERT_TRUE(picture);
    const CPicture scaled = picture->Scaled(18, 12);
    EXPECT_EQ(scaled.Width(), 18);
    EXPECT_EQ(scaled.Height(), 12);
    EXPECT_EQ(picture->Width(), 5);  // the original stays
}
