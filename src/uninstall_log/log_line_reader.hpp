// Splits an uninstall log into lines: UTF-16LE when the file starts with a byte-order mark,
// else 8-bit text in the thread's ANSI code page. Lines come out as UTF-8 with their line end.
#pragma once

#include <istream>
#include <optional>
#include <string>

class LogLineReader {
public:
    // A line longer than this, in file bytes with its line end and the terminating zero the
    // reader's buffer keeps, is refused: the log was not written by an installer.
    static constexpr std::size_t kLineBufferBytes = 1024;

    explicit LogLineReader(std::istream& in) : m_in(in) {}

    enum class Status { Line, End, TooLong };
    // The next line into `line`. Empty lines at the end of the file are never returned.
    Status Next(std::string& line);

private:
    Status NextWide(std::u16string& units, std::size_t bytesSoFar);
    Status NextNarrow(std::string& bytes, std::size_t bytesSoFar);

    std::istream& m_in;
    bool m_first = true;
    bool m_wide = false;
};
