// The pictures drawn at build time: that the program carries each one under the id the wizard asks
// for, in the form it expects, and that the 256-colour reduction of the banner is faithful.
#include "flags.hpp"
#include "indexed_colour.hpp"
#include "platform/resources/resource_module.hpp"
#include "platform/shell/program_icon.hpp"
#include "program_icon.hpp"

#include <gtest/gtest.h>

#include <QImage>

#include <boost/filesystem.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

namespace res = platform::resources;
namespace fs = boost::filesystem;

QImage resource_picture(std::uint32_t type, std::uint32_t id) {
    const auto data = res::resource_module::self().find(type, id);
    if (!data) {
        return {};
    }
    return QImage::fromData(reinterpret_cast<const uchar*>(data->data()), static_cast<int>(data->size()));
}

int run(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(Art, EveryFlagIsUnderTheIdOfItsLanguage) {
    const struct {
        std::uint32_t id;
        const char* language;
    } flags[] = {{141, "de"}, {143, "es"}, {144, "fr"}, {145, "en"}, {146, "it"}, {147, "nl"}, {148, "pt"},
                 {149, "tr"}, {151, "ro"}, {152, "zh"}, {155, "el"}, {157, "he"}, {158, "vi"}, {161, "hu"}};
    std::set<QByteArray> distinct;
    for (const auto& flag : flags) {
        SCOPED_TRACE(flag.id);
        const QImage picture = resource_picture(res::rt_group_icon, flag.id);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), QSize(18, 12));
        EXPECT_FALSE(picture.hasAlphaChannel());
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
        EXPECT_EQ(rgb, vnart::draw_flag(flag.language));
        distinct.insert(QByteArray(reinterpret_cast<const char*>(rgb.constBits()), rgb.sizeInBytes()));
    }
    EXPECT_EQ(distinct.size(), std::size(flags));
    EXPECT_THROW(vnart::draw_flag("da"), std::invalid_argument);
}

TEST(Art, TheIconAndTheBannerAreCarriedInTheirFormats) {
    const QImage icon = resource_picture(res::rt_group_icon, 128);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.width(), icon.height());
    // Shaped: the corners are transparent, the middle opaque.
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(icon.width() / 2, icon.height() / 2)), 255);

    const auto bitmap = res::resource_module::self().find(res::rt_bitmap, 137);
    ASSERT_TRUE(bitmap);
    ASSERT_GT(bitmap->size(), 30u);
    const auto* bytes = reinterpret_cast<const unsigned char*>(bitmap->data());
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(bytes[28], 8);  // bits per pixel
    const QImage banner = resource_picture(res::rt_bitmap, 137);
    EXPECT_EQ(banner.size(), QSize(87, 171));
    EXPECT_EQ(banner.format(), QImage::Format_Indexed8);
}

// What the shell reads of a program icon: every size, each a shaped PNG picture of that size.
TEST(Art, ProgramIconsCarryEverySizeAsShapedPngPictures) {
    std::vector<QImage> largest;
    for (const auto kind : {vnart::program_icon_kind::main_program, vnart::program_icon_kind::uninstaller}) {
        const QByteArray packed = vnart::pack_icon_directory(kind);
        const auto pictures = platform::shell::icon_group_pictures(
            std::as_bytes(std::span(packed.constData(), static_cast<std::size_t>(packed.size()))));
        ASSERT_EQ(pictures.size(), vnart::program_icon_sizes.size());
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const int size = vnart::program_icon_sizes[i];
            SCOPED_TRACE(size);
            EXPECT_EQ(pictures[i].size, size);
            const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(pictures[i].png.data()),
                                                  static_cast<int>(pictures[i].png.size()), "PNG");
            ASSERT_EQ(image.size(), QSize(size, size));
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
        }
        largest.push_back(QImage::fromData(reinterpret_cast<const uchar*>(pictures.back().png.data()),
                                           static_cast<int>(pictures.back().png.size())));
    }
    EXPECT_NE(largest[0], largest[1]) << "the uninstaller's icon is told apart";
}

TEST(Art, ReductionTo256ColoursKeepsFewColoursExactlyAndApproximatesMany) {
    QImage few(16, 16, QImage::Format_RGB32);
    QImage many(64, 64, QImage::Format_RGB32);  // 4096 colours
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            many.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
            if (x < 16 && y < 16) {
                few.setPixel(x, y, qRgb(x * 16, y * 16, 7));
            }
        }
    }
    const QImage exact = vnart::to_indexed8(few);
    EXPECT_EQ(exact.format(), QImage::Format_Indexed8);
    EXPECT_EQ(exact.convertToFormat(QImage::Format_RGB32), few);

    const QImage reduced = vnart::to_indexed8(many);
    EXPECT_LE(reduced.colorCount(), 256);
    EXPECT_GT(reduced.colorCount(), 200);  // the palette is used, not collapsed
    int worst = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const QRgb a = many.pixel(x, y);
            const QRgb b = reduced.pixel(x, y);
            worst = std::max(
                {worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
        }
    }
    EXPECT_LE(worst, 16);
}

TEST(Art, ToolRefusesUnknownPicturesAndWritesNothing) {
    const fs::path dir = fs::temp_directory_path() / fs::unique_path("vnart-%%%%-%%%%");
    fs::create_directories(dir);
    const std::string vnart = QUILLON_BINARY_DIR "/bin/vnart";
    EXPECT_EQ(run(vnart + " flag:da=" + (dir / "a.png").string()), 1);
    EXPECT_EQ(run(vnart + " drawing=" + (dir / "b.png").string()), 1);
    EXPECT_EQ(run(vnart + " icon"), 1);
    EXPECT_EQ(run(vnart + " icon=" + (dir / "missing" / "c.png").string()), 1);
    EXPECT_EQ(run(vnart), 2);
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_EQ(run(vnart + " icon=" + (dir / "d.png").string()), 0);
    EXPECT_FALSE(QImage((dir / "d.png").c_str()).isNull());
    fs::remove_all(dir);
}
