#include "flags.hpp"

#include "render.hpp"
#include "shapes.hpp"

#include <QPainterPath>

#include <cmath>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <utility>

namespace vnart {

namespace {

using flag_painter = void (*)(QPainter&);

struct band {
    QColor colour;
    int weight;
};

// Band edges are rounded to whole pixels, so that stripes stay crisp at 12 pixels high.
void bands(QPainter& p, Qt::Orientation orientation, std::initializer_list<band> parts) {
    const int length = orientation == Qt::Horizontal ? flag_height : flag_width;
    int total = 0;
    for (const auto& part : parts) {
        total += part.weight;
    }
    if (total <= 0) {
        return;
    }
    int done = 0;
    for (const auto& part : parts) {
        const int from = (length * done + total / 2) / total;
        done += part.weight;
        const int to = (length * done + total / 2) / total;
        const QRect rect = orientation == Qt::Horizontal ? QRect(0, from, flag_width, to - from)
                                                         : QRect(from, 0, to - from, flag_height);
        p.fillRect(rect, part.colour);
    }
}

void germany(QPainter& p) {
    bands(p, Qt::Horizontal, {{QColor(Qt::black), 1}, {QColor(0xDD0000), 1}, {QColor(0xFFCE00), 1}});
}

void hungary(QPainter& p) {
    bands(p, Qt::Horizontal, {{QColor(0xCE2939), 1}, {QColor(0xFFFFFF), 1}, {QColor(0x477050), 1}});
}

void netherlands(QPainter& p) {
    bands(p, Qt::Horizontal, {{QColor(0xAE1C28), 1}, {QColor(0xFFFFFF), 1}, {QColor(0x21468B), 1}});
}

void france(QPainter& p) {
    bands(p, Qt::Vertical, {{QColor(0x0055A4), 1}, {QColor(0xFFFFFF), 1}, {QColor(0xEF4135), 1}});
}

void italy(QPainter& p) {
    bands(p, Qt::Vertical, {{QColor(0x009246), 1}, {QColor(0xFFFFFF), 1}, {QColor(0xCE2B37), 1}});
}

void romania(QPainter& p) {
    bands(p, Qt::Vertical, {{QColor(0x002B7F), 1}, {QColor(0xFCD116), 1}, {QColor(0xCE1126), 1}});
}

void spain(QPainter& p) {
    const QColor red(0xAA151B);
    const QColor gold(0xF1BF00);
    bands(p, Qt::Horizontal, {{red, 1}, {gold, 2}, {red, 1}});
    // The arms reduced to what reads at this size, on whole pixels: two pillars beside a crowned
    // shield.
    p.fillRect(QRect(3, 4, 1, 4), QColor(0xD8D8D8));
    p.fillRect(QRect(6, 4, 1, 4), QColor(0xD8D8D8));
    p.fillRect(QRect(4, 4, 2, 1), QColor(0xB08A2E));
    p.fillRect(QRect(4, 5, 2, 3), QColor(0xAD1519));
}

void portugal(QPainter& p) {
    bands(p, Qt::Vertical, {{QColor(0x006600), 2}, {QColor(0xFF0000), 3}});
    const QPointF centre(7.0, 6.0);
    // Armillary sphere: a gold ring and band behind the shield.
    p.setPen(QPen(QColor(0xFFE000), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 2.7, 2.7);
    p.drawLine(QPointF(centre.x() - 2.6, centre.y() + 0.9), QPointF(centre.x() + 2.6, centre.y() - 0.9));
    QPainterPath shield;
    shield.moveTo(centre.x() - 1.3, centre.y() - 1.6);
    shield.lineTo(centre.x() + 1.3, centre.y() - 1.6);
    shield.lineTo(centre.x() + 1.3, centre.y() + 0.4);
    shield.quadTo(centre.x() + 1.3, centre.y() + 1.7, centre.x(), centre.y() + 1.7);
    shield.quadTo(centre.x() - 1.3, centre.y() + 1.7, centre.x() - 1.3, centre.y() + 0.4);
    shield.closeSubpath();
    p.setPen(QPen(QColor(0xE00000), 0.6));
    p.setBrush(QColor(0xFFFFFF));
    p.drawPath(shield);
    p.fillRect(QRectF(centre.x() - 0.45, centre.y() - 0.6, 0.9, 1.2), QColor(0x003399));
}

void greece(QPainter& p) {
    const QColor blue(0x0D5EAF);
    const QColor white(0xFFFFFF);
    bands(p, Qt::Horizontal,
          {{blue, 1}, {white, 1}, {blue, 1}, {white, 1}, {blue, 1}, {white, 1}, {blue, 1}, {white, 1}, {blue, 1}});
    // The canton covers the first five stripes; its cross lies on the third.
    p.fillRect(QRect(0, 0, 7, 7), blue);
    p.fillRect(QRect(0, 3, 7, 1), white);
    p.fillRect(QRect(3, 0, 1, 7), white);
}

void united_kingdom(QPainter& p) {
    const QColor blue(0x012169);
    const QColor red(0xC8102E);
    const QColor white(0xFFFFFF);
    const QRectF field(0, 0, flag_width, flag_height);
    p.fillRect(field, blue);
    p.setClipRect(field);
    p.setPen(QPen(white, 3.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(field.topLeft(), field.bottomRight());
    p.drawLine(field.bottomLeft(), field.topRight());
    // The red saltire is counterchanged: each arm lies beside the middle of its white arm, on the side
    // that follows it round the centre, as the real flag has it.
    const QPointF centre = field.center();
    const double width = 1.0;
    for (const auto& [corner, side] :
         {std::pair{field.topLeft(), QPointF(-1, 1)}, std::pair{field.topRight(), QPointF(-1, -1)},
          std::pair{field.bottomRight(), QPointF(1, -1)}, std::pair{field.bottomLeft(), QPointF(1, 1)}}) {
        const QPointF arm = corner - centre;
        const double length = std::hypot(arm.x(), arm.y());
        QPointF normal(-arm.y() / length, arm.x() / length);
        if (QPointF::dotProduct(normal, side) < 0) {
            normal = -normal;
        }
        const QPointF offset = normal * width;
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawPolygon(QPolygonF({centre, corner, corner + offset, centre + offset}));
    }
    p.setClipping(false);
    p.fillRect(QRect(7, 0, 4, flag_height), white);
    p.fillRect(QRect(0, 4, flag_width, 4), white);
    p.fillRect(QRect(8, 0, 2, flag_height), red);
    p.fillRect(QRect(0, 5, flag_width, 2), red);
}

void turkey(QPainter& p) {
    p.fillRect(QRectF(0, 0, flag_width, flag_height), QColor(0xE30A17));
    const double g = flag_height;
    QPainterPath outer;
    outer.addEllipse(QPointF(g / 2, g / 2), g / 4, g / 4);
    QPainterPath inner;
    inner.addEllipse(QPointF(g / 2 + g / 16, g / 2), g / 5, g / 5);
    p.fillPath(outer.subtracted(inner), Qt::white);
    p.fillPath(star(QPointF(g / 2 + g / 16 + g / 5 + 1.3, g / 2), 2.3, -90), Qt::white);
}

void china(QPainter& p) {
    p.fillRect(QRectF(0, 0, flag_width, flag_height), QColor(0xEE1C25));
    const QColor yellow(0xFFFF00);
    const double unit = flag_width / 30.0;
    p.fillPath(star(QPointF(5 * unit, 5 * unit), 3.4 * unit, 0), yellow);
    // The four small stars are a pixel each at this size; smoothed, they only turn the red orange.
    for (const QPoint& small : {QPoint(10, 2), QPoint(12, 4), QPoint(12, 7), QPoint(10, 9)}) {
        const QPointF centre = QPointF(small) * unit;
        p.fillRect(QRect(static_cast<int>(centre.x()), static_cast<int>(centre.y()), 1, 1), yellow);
    }
}

void vietnam(QPainter& p) {
    p.fillRect(QRectF(0, 0, flag_width, flag_height), QColor(0xDA251D));
    p.fillPath(star(QPointF(flag_width / 2.0, flag_height / 2.0 + 0.3), flag_width / 5.0, 0), QColor(0xFFFF00));
}

void israel(QPainter& p) {
    const QColor blue(0x0038B8);
    p.fillRect(QRectF(0, 0, flag_width, flag_height), Qt::white);
    p.fillRect(QRect(0, 1, flag_width, 2), blue);
    p.fillRect(QRect(0, 9, flag_width, 2), blue);
    // The Star of David: two interlaced outlined triangles.
    const QPointF centre(flag_width / 2.0, flag_height / 2.0);
    const double radius = 2.8;
    p.setPen(QPen(blue, 0.75));
    p.setBrush(Qt::NoBrush);
    for (const double turn : {0.0, 180.0}) {
        QPolygonF triangle;
        for (int i = 0; i < 3; ++i) {
            const double a = (turn + i * 120) * M_PI / 180;
            triangle << centre + QPointF(radius * std::sin(a), -radius * std::cos(a));
        }
        p.drawPolygon(triangle);
    }
}

struct flag_drawing {
    flag_painter paint;
    bool on_pixels;  // thin diagonals that smoothing would blur
};

const std::map<std::string, flag_drawing>& drawings() {
    static const std::map<std::string, flag_drawing> all{
        {"de", {germany, false}},  {"el", {greece, false}},  {"en", {united_kingdom, true}},
        {"es", {spain, false}},    {"fr", {france, false}},  {"he", {israel, false}},
        {"hu", {hungary, false}},  {"it", {italy, false}},   {"nl", {netherlands, false}},
        {"pt", {portugal, false}}, {"ro", {romania, false}}, {"tr", {turkey, false}},
        {"vi", {vietnam, false}},  {"zh", {china, false}},
    };
    return all;
}

}  // namespace

QImage draw_flag(const std::string& language) {
    const auto found = drawings().find(language);
    if (found == drawings().end()) {
        throw std::invalid_argument("no flag for the language \"" + language + "\"");
    }
    const QSize size(flag_width, flag_height);
    const flag_drawing& drawing = found->second;
    QImage flag = drawing.on_pixels ? render_on_pixels(size, drawing.paint) : render(size, drawing.paint);
    // A faint dark edge keeps the white of a flag apart from the white of the list behind it.
    {
        QPainter p(&flag);
        p.setPen(QColor(0, 0, 0, 56));
        p.drawRect(QRect(0, 0, flag_width - 1, flag_height - 1));
    }
    return flag.convertToFormat(QImage::Format_RGB888);
}

}  // namespace vnart
