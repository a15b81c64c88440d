// Shortens a path to a width with "..." in its middle, keeping its last component whenever that fits.
#pragma once

#include <QFontMetrics>
#include <QString>

namespace platform::ui::detail {

QString compact_path(const QString& path, const QFontMetrics& metrics, int width);

}  // namespace platform::ui::detail
