#include "artwork.hpp"
#include "quill.hpp"
#include "render.hpp"

#include <QLinearGradient>
#include <QPainterPath>

namespace vnart {

QImage draw_icon() {
    return draw_icon_at(icon_size);
}

QImage draw_icon_at(int size) {
    return render(QSize(size, size), [size](QPainter& p) {
        // Drawn in the coordinates of the icon_size picture.
        p.scale(size / static_cast<qreal>(icon_size), size / static_cast<qreal>(icon_size));
        const QRectF tile(3, 3, icon_size - 6, icon_size - 6);
        QLinearGradient sky(tile.topLeft(), tile.bottomRight());
        sky.setColorAt(0, QColor(0x4A8CC7));
        sky.setColorAt(1, QColor(0x1B3A63));
        QPainterPath rounded;
        rounded.addRoundedRect(tile, 12, 12);
        p.fillPath(rounded.translated(0, 1), QColor(0, 0, 0, 60));
        p.fillPath(rounded, sky);
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.drawPath(rounded);

        p.setClipPath(rounded);
        // The line the quill has just written.
        QPainterPath ink;
        ink.moveTo(15, 50);
        ink.cubicTo(24, 55, 36, 44, 52, 48);
        p.setPen(QPen(QColor(0xE9C46A), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(ink);
        paint_quill(p, QPointF(52, 9), QPointF(15, 50));
    });
}

}  // namespace vnart
