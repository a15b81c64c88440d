// The quill, the product's emblem, shared by the program icon and the banner.
#pragma once

#include <QPainter>
#include <QPointF>

namespace vnart {

// Paints a quill whose feather tip is at `tip` and whose pen nib is at `nib`; the broad side of the
// feather lies to the right of the line from the nib to the tip (on screen, y growing downwards).
void paint_quill(QPainter& p, QPointF tip, QPointF nib);

}  // namespace vnart
