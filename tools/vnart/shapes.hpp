// Shapes shared by the flags and the emblems.
#pragma once

#include <QPainterPath>
#include <QPointF>

namespace vnart {

// A regular five-pointed star; `angle` (degrees, clockwise from straight up) is where one point aims.
QPainterPath star(QPointF centre, double radius, double angle);

}  // namespace vnart
