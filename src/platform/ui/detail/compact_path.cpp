#include "platform/ui/detail/compact_path.hpp"

namespace platform::ui::detail {

QString compact_path(const QString& path, const QFontMetrics& metrics, int width) {
    const QString ellipsis = QStringLiteral("...");
    if (metrics.horizontalAdvance(path) <= width) {
        return path;
    }
    const qsizetype separator = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    if (separator < 0) {
        return metrics.elidedText(path, Qt::ElideRight, width);
    }
    const QString tail = path.mid(separator);  // the separator and the last component
    if (metrics.horizontalAdvance(ellipsis + tail) > width) {
        return metrics.elidedText(ellipsis + tail, Qt::ElideRight, width);
    }
    // The longest head that fits in front of "..." and the last component.
    qsizetype keep = separator;
    while (keep > 0 && metrics.horizontalAdvance(path.left(keep) + ellipsis + tail) > width) {
        --keep;
    }
    return path.left(keep) + ellipsis + tail;
}

}  // namespace platform::ui::detail
