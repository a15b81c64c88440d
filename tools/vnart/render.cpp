#include "render.hpp"

#include <array>
#include <cstddef>

namespace vnart {

namespace {

constexpr int supersampling = 8;

}  // namespace

QImage downsample(const QImage& image, int factor) {
    const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(source.width() / factor, source.height() / factor, QImage::Format_ARGB32_Premultiplied);
    const int area = factor * factor;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            std::array<int, 4> sum{};
            for (int sy = 0; sy < factor; ++sy) {
                const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y * factor + sy)) +
                                 static_cast<std::ptrdiff_t>(x) * factor;
                for (int sx = 0; sx < factor; ++sx) {
                    sum[0] += qRed(in[sx]);
                    sum[1] += qGreen(in[sx]);
                    sum[2] += qBlue(in[sx]);
                    sum[3] += qAlpha(in[sx]);
                }
            }
            row[x] = qRgba((sum[0] + area / 2) / area, (sum[1] + area / 2) / area, (sum[2] + area / 2) / area,
                           (sum[3] + area / 2) / area);
        }
    }
    return out;
}

QImage render(QSize size, const std::function<void(QPainter&)>& paint) {
    QImage canvas(size * supersampling, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(supersampling, supersampling);
        paint(painter);
    }
    return downsample(canvas, supersampling).convertToFormat(QImage::Format_ARGB32);
}

QImage render_on_pixels(QSize size, const std::function<void(QPainter&)>& paint) {
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        paint(painter);
    }
    return canvas.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace vnart
