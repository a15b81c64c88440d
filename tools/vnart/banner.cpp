#include "artwork.hpp"
#include "quill.hpp"
#include "render.hpp"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace vnart {

QImage draw_banner() {
    return render(QSize(banner_width, banner_height), [](QPainter& p) {
        const QRectF area(0, 0, banner_width, banner_height);
        QLinearGradient sky(0, 0, 0, banner_height);
        sky.setColorAt(0, QColor(0x1B3A63));
        sky.setColorAt(1, QColor(0x4F8DBF));
        p.fillRect(area, sky);

        QRadialGradient glow(QPointF(66, 30), 60);
        glow.setColorAt(0, QColor(255, 255, 255, 46));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(area, glow);

        // The line the quill has just written, trailing off to the right.
        QPainterPath ink;
        ink.moveTo(22, 146);
        ink.cubicTo(32, 158, 46, 138, 58, 146);
        ink.cubicTo(66, 151, 74, 150, 80, 145);
        p.setPen(QPen(QColor(0xE9C46A), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(ink);
        paint_quill(p, QPointF(72, 12), QPointF(22, 146));
    });
}

}  // namespace vnart
