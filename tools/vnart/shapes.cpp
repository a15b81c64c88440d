#include "shapes.hpp"

#include <cmath>

namespace vnart {

QPainterPath star(QPointF centre, double radius, double angle) {
    // Ratio of the inner to the outer radius of a regular pentagram.
    const double inner = radius * (3 - std::sqrt(5.0)) / 2;
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? radius : inner;
        const double a = (angle + i * 36) * M_PI / 180;
        const QPointF point = centre + QPointF(r * std::sin(a), -r * std::cos(a));
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    path.closeSubpath();
    return path;
}

}  // namespace vnart
