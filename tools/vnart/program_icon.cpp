#include "program_icon.hpp"

#include "artwork.hpp"
#include "render.hpp"

#include <QBuffer>
#include <QPainterPath>

#include <stdexcept>
#include <vector>

namespace vnart {

namespace {

void put_u16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void put_u32(QByteArray& out, qsizetype value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

QByteArray png_of(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw std::runtime_error("an icon picture cannot be encoded");
    }
    return png;
}

// A red disc with a white bar across, in the lower right quarter: "remove".
void paint_removal_mark(QPainter& p) {
    const QRectF disc(36, 36, 26, 26);
    p.setPen(QPen(QColor(255, 255, 255), 2));
    p.setBrush(QColor(0xC0392B));
    p.drawEllipse(disc);
    p.setPen(QPen(QColor(255, 255, 255), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(42, 49), QPointF(56, 49));
}

}  // namespace

QImage draw_program_icon(program_icon_kind kind, int size) {
    const QImage tile = draw_icon_at(size);
    if (kind == program_icon_kind::main_program) {
        return tile;
    }
    const QImage mark = render(QSize(size, size), [size](QPainter& p) {
        p.scale(size / static_cast<qreal>(icon_size), size / static_cast<qreal>(icon_size));
        paint_removal_mark(p);
    });
    QImage combined = tile.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&combined);
    p.drawImage(0, 0, mark);
    p.end();
    return combined.convertToFormat(QImage::Format_ARGB32);
}

QByteArray pack_icon_directory(program_icon_kind kind) {
    std::vector<QByteArray> pictures;
    for (const int size : program_icon_sizes) {
        pictures.push_back(png_of(draw_program_icon(kind, size)));
    }
    QByteArray out;
    put_u16(out, 0);
    put_u16(out, 1);
    put_u16(out, static_cast<int>(pictures.size()));
    qsizetype offset = 6 + 16 * static_cast<qsizetype>(pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const int size = program_icon_sizes[i];
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append('\0');  // colour count: not a palette picture
        out.append('\0');
        put_u16(out, 1);
        put_u16(out, 32);
        put_u32(out, pictures[i].size());
        put_u32(out, offset);
        offset += pictures[i].size();
    }
    for (const QByteArray& picture : pictures) {
        out.append(picture);
    }
    return out;
}

}  // namespace vnart
