// Supersampled drawing: pictures this small only look clean when their shapes are drawn large and
// averaged down, so that every edge pixel gets its true coverage.
#pragma once

#include <QImage>
#include <QPainter>
#include <QSize>

#include <functional>

namespace vnart {

// Draws with `paint` in the coordinates of the final picture (one unit = one pixel) and returns a
// picture of `size` in QImage::Format_ARGB32.
QImage render(QSize size, const std::function<void(QPainter&)>& paint);

// The same without supersampling or antialiasing: every pixel takes one colour. For thin diagonals
// that come out blurred when smoothed at this size.
QImage render_on_pixels(QSize size, const std::function<void(QPainter&)>& paint);

// Box-filters `image` (premultiplied) down by a whole factor in both directions.
QImage downsample(const QImage& image, int factor);

}  // namespace vnart
