#include "uninstall_log/log_line_reader.hpp"

#include "payload/vn/w2a_codecvt.hpp"
#include "platform/text/utf_convert.hpp"

LogLineReader::Status LogLineReader::NextWide(std::u16string& units, std::size_t bytesSoFar) {
    // The line ends at the code unit U+000A, so a byte 0x0A inside another character (U+010A,
    // U+0A0D, ...) never cuts a line.
    char pair[2];
    while (m_in.read(pair, 2)) {
        const char16_t unit = platform::text::utf16le_units(std::string_view(pair, 2)).front();
        bytesSoFar += 2;
        if (bytesSoFar + sizeof(char16_t) > kLineBufferBytes) {
            return Status::TooLong;
        }
        units.push_back(unit);
        if (unit == u'\n') {
            break;
        }
    }
    return bytesSoFar == 0 ? Status::End : Status::Line;
}

LogLineReader::Status LogLineReader::NextNarrow(std::string& bytes, std::size_t bytesSoFar) {
    char c = 0;
    while (m_in.get(c)) {
        ++bytesSoFar;
        if (bytesSoFar + 1 > kLineBufferBytes) {
            return Status::TooLong;
        }
        bytes.push_back(c);
        if (c == '\n') {
            break;
        }
    }
    return bytesSoFar == 0 ? Status::End : Status::Line;
}

LogLineReader::Status LogLineReader::Next(std::string& line) {
    line.clear();
    std::size_t bomBytes = 0;
    if (m_first) {
        m_first = false;
        char bom[2] = {};
        if (m_in.read(bom, 2) && static_cast<unsigned char>(bom[0]) == 0xFF &&
            static_cast<unsigned char>(bom[1]) == 0xFE) {
            m_wide = true;
            bomBytes = 2;
        } else {
            m_in.clear();
            m_in.seekg(0);
        }
    }
    if (m_wide) {
        std::u16string units;
        const Status status = NextWide(units, bomBytes);
        line = platform::text::utf16_to_utf8(units);
        return status;
    }
    std::string bytes;
    const Status status = NextNarrow(bytes, 0);
    line = platform::text::wide_to_utf8(vn::to_wide(bytes.data(), bytes.data() + bytes.size()));
    return status;
}
