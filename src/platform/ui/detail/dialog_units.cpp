#include "platform/ui/detail/dialog_units.hpp"

#include "platform/ui/detail/qt_text.hpp"

#include <QFontMetrics>

#include <cstdlib>

namespace platform::ui::detail {

QFont dialog_font(const platform::resources::dialog_template& dialog) {
    QFont font(to_qstring(dialog.font_face));
    font.setPixelSize(mul_div(dialog.font_size > 0 ? dialog.font_size : 8, 96, 72));
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont default_dialog_font() {
    return dialog_font(platform::resources::dialog_template{});
}

base_units base_units_of(const QFont& font) {
    const QFontMetrics metrics(font);
    const int extent =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(extent / 26 + 1) / 2, metrics.height()};
}

int mul_div(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(c) / 2;
    const long long rounded =
        ((product < 0) != (c < 0)) ? (product - (c < 0 ? -half : half)) / c : (product + (c < 0 ? -half : half)) / c;
    return static_cast<int>(rounded);
}

QRect to_pixels(const base_units& units, int x, int y, int cx, int cy) {
    return QRect(mul_div(x, units.cx, 4), mul_div(y, units.cy, 8), mul_div(cx, units.cx, 4), mul_div(cy, units.cy, 8));
}

CRect map_dialog_rect(const base_units& units, const CRect& rect) {
    return {mul_div(rect.left, units.cx, 4), mul_div(rect.top, units.cy, 8), mul_div(rect.right, units.cx, 4),
            mul_div(rect.bottom, units.cy, 8)};
}

}  // namespace platform::ui::detail
