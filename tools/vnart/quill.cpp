#include "quill.hpp"

#include <QLinearGradient>
#include <QPainterPath>
#include <QTransform>

#include <cmath>
#include <tuple>

namespace vnart {

namespace {

// The quill is designed along the unit axis: the feather tip at (0, 0), the nib at (0, 1), the broad
// side of the vane towards +x. bend() then curves the whole quill slightly, as a real one is.
constexpr double vane_end = 0.72;

QPainterPath bend(const QPainterPath& straight) {
    QPainterPath path = straight;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const double rise = 1 - e.y;
        path.setElementPositionAt(i, e.x - 0.09 * rise * rise, e.y);
    }
    return path;
}

QPainterPath vane() {
    QPainterPath path;
    path.moveTo(0.01, 0);
    path.cubicTo(0.09, 0.03, 0.15, 0.16, 0.14, 0.36);
    path.cubicTo(0.135, 0.52, 0.07, 0.64, 0.01, vane_end);
    path.lineTo(-0.01, vane_end);
    path.cubicTo(-0.05, 0.63, -0.085, 0.48, -0.08, 0.3);
    path.cubicTo(-0.075, 0.14, -0.04, 0.03, 0.01, 0);
    path.closeSubpath();
    // Splits in the vane, where a few barbs have parted.
    for (const auto& [y, side, depth] :
         {std::tuple{0.44, 1.0, 0.1}, std::tuple{0.26, -1.0, 0.055}, std::tuple{0.55, -1.0, 0.045}}) {
        QPainterPath split;
        split.moveTo(side * 0.3, y - 0.01);
        split.lineTo(side * 0.3, y + 0.025);
        split.lineTo(side * (0.15 - depth), y + 0.07);
        split.closeSubpath();
        path = path.subtracted(split);
    }
    return path;
}

// Barbs: fine lines from the shaft out towards the tip.
QPainterPath barbs() {
    QPainterPath path;
    for (int i = 0; i < 19; ++i) {
        const double y = 0.08 + 0.035 * i;
        path.moveTo(0, y);
        path.lineTo(0.2, y - 0.16);
        path.moveTo(0, y + 0.015);
        path.lineTo(-0.16, y - 0.12);
    }
    return path;
}

QPainterPath shaft() {
    QPainterPath path;
    path.moveTo(0, 0.03);
    path.lineTo(0, 0.86);
    return path;
}

QPainterPath nib_shape() {
    QPainterPath path;
    path.moveTo(-0.024, 0.84);
    path.cubicTo(-0.028, 0.9, -0.011, 0.95, 0, 1.0);
    path.cubicTo(0.011, 0.95, 0.028, 0.9, 0.024, 0.84);
    path.closeSubpath();
    return path;
}

QTransform placement(QPointF tip, QPointF nib) {
    const QPointF axis = nib - tip;
    const double length = std::hypot(axis.x(), axis.y());
    const QPointF down = axis / length;
    const QPointF across(down.y(), -down.x());
    return QTransform(across.x() * length, across.y() * length, down.x() * length, down.y() * length, tip.x(), tip.y());
}

}  // namespace

void paint_quill(QPainter& p, QPointF tip, QPointF nib) {
    p.save();
    p.setTransform(placement(tip, nib), true);
    const QPainterPath feather = bend(vane());

    // A soft shadow, offset towards the broad side and the nib.
    for (int i = 1; i <= 3; ++i) {
        p.fillPath(feather.translated(0.007 * i, 0.005 * i), QColor(0, 0, 0, 22));
    }

    QLinearGradient light(0, 0, 0, vane_end);
    light.setColorAt(0, QColor(0xFFFFFF));
    light.setColorAt(1, QColor(0xD6E4F0));
    p.fillPath(feather, light);

    // The narrow side turns away from the light.
    QPainterPath narrow_side;
    narrow_side.addRect(QRectF(-0.3, 0, 0.3, 1));
    p.fillPath(feather.intersected(bend(narrow_side)), QColor(0x9D, 0xB6, 0xCE, 70));

    p.save();
    p.setClipPath(feather);
    p.strokePath(bend(barbs()), QPen(QColor(0x9D, 0xB6, 0xCE, 110), 0.004));
    p.restore();

    // The shaft: the rachis along the vane, then the bare quill down to the nib.
    p.strokePath(bend(shaft()), QPen(QColor(0xB9CCDD), 0.013, Qt::SolidLine, Qt::RoundCap));

    QLinearGradient metal(-0.03, 0, 0.03, 0);
    metal.setColorAt(0, QColor(0xB8872E));
    metal.setColorAt(0.5, QColor(0xF3D58A));
    metal.setColorAt(1, QColor(0xC99A3E));
    p.fillPath(nib_shape(), metal);
    p.setPen(QPen(QColor(0x7A5A1E), 0.004));
    p.drawLine(QPointF(0, 0.9), QPointF(0, 0.985));
    p.restore();
}

}  // namespace vnart
