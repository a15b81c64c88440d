// The installer's own pictures: the program icon and the banner down the wizard's left side.
#pragma once

#include <QImage>

namespace vnart {

inline constexpr int icon_size = 64;
inline constexpr int banner_width = 87;
inline constexpr int banner_height = 171;

// Square, with a transparent surround (QImage::Format_ARGB32).
QImage draw_icon();
// The same drawing at another size, as large pictures of the product programs' icons need.
QImage draw_icon_at(int size);

// Opaque, in full colour; the bitmap resource reduces it to 256 colours.
QImage draw_banner();

}  // namespace vnart
