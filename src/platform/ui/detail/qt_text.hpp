// Text crossing the Qt boundary: UTF-8 std::string outside, QString inside the framework.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace platform::ui::detail {

inline QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string to_utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Windows texts end their lines with CR LF; Qt's text widgets use LF alone.
inline QString to_qt_lines(std::string_view text) {
    QString lines = to_qstring(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QChar(u'\r'), QChar(u'\n'));
    return lines;
}

inline std::string to_windows_lines(const QString& text) {
    QString lines = text;
    lines.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    return to_utf8(lines);
}

// A label's text without its mnemonic markers: "&&" shows one ampersand, a single "&" none.
inline QString without_mnemonics(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace platform::ui::detail
