// Dialog units: a template's rectangles scale with its font. The horizontal base unit is the
// font's average character width (of the 52 Latin letters) and the vertical one its height; a
// horizontal dialog unit is a quarter of the first, a vertical one an eighth of the second, each
// conversion rounded to the nearest pixel. Stands in for GetDialogBaseUnits and MapDialogRect.
#pragma once

#include "platform/resources/dialog_template.hpp"
#include "platform/ui/geometry.hpp"

#include <QFont>
#include <QRect>

namespace platform::ui::detail {

struct base_units {
    int cx = 0;  // average character width, pixels
    int cy = 0;  // character height, pixels
};

// The font a template names, at its size in points on a 96 dpi screen (8 points: 11 pixels), so that
// every screen lays a dialog out alike.
QFont dialog_font(const platform::resources::dialog_template& dialog);
QFont default_dialog_font();

base_units base_units_of(const QFont& font);

// a * b / c rounded half away from zero.
int mul_div(int a, int b, int c);

// x, y, width and height converted one by one, as dialog creation does.
QRect to_pixels(const base_units& units, int x, int y, int cx, int cy);

// Each edge converted, as MapDialogRect does.
CRect map_dialog_rect(const base_units& units, const CRect& rect);

}  // namespace platform::ui::detail
