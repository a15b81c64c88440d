// Reduction of a picture to a palette of at most 256 colours, for the 8-bit banner bitmap.
#pragma once

#include <QImage>

namespace vnart {

// A picture with 256 colours or fewer keeps them exactly; a richer one gets a palette by median cut
// over its colour histogram (weighted by pixel count), and each pixel takes the nearest entry.
// Transparency is dropped. The result is QImage::Format_Indexed8.
QImage to_indexed8(const QImage& image);

}  // namespace vnart
