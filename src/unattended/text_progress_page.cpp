#include "unattended/text_progress_page.hpp"

#include <algorithm>

namespace {

constexpr int kBarWidth = 20;
constexpr const char* kClearToEnd = "\x1b[K";

// The text's last `width` bytes behind "...", cut where a character starts.
std::string KeepEnd(const std::string& text, std::size_t width) {
    if (text.size() <= width) {
        return text;
    }
    if (width <= 3) {
        return std::string(width, '.');
    }
    std::size_t cut = text.size() - (width - 3);
    while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        ++cut;
    }
    return "..." + text.substr(cut);
}

}  // namespace

TextProgressPage::TextProgressPage(std::ostream& out, int terminalColumns)
    : m_out(out), m_columns(std::max(terminalColumns, 0)) {}

TextProgressPage::~TextProgressPage() {
    try {
        Finish();
    } catch (...) {
        // The stream is gone; there is nothing left to end.
    }
}

void TextProgressPage::SetStatusText(const std::string& text) {
    m_status = text;
    Redraw();
}

void TextProgressPage::SetStatusPath(const std::string& text) {
    m_lastPathText = text;
    SetStatusText(text);
}

void TextProgressPage::AppendLogLine(const std::string& text, bool separator) {
    if (text.empty() || separator) {
        return;  // the wizard's dashed divider between runs says nothing here
    }
    m_pendingLine += text;
    for (std::size_t end; (end = m_pendingLine.find("\r\n")) != std::string::npos;) {
        const std::string line = m_pendingLine.substr(0, end);
        m_pendingLine.erase(0, end + 2);
        const bool fileCopy = !m_lastPathText.empty() && line.rfind(m_lastPathText, 0) == 0;
        if (!OnTerminal() || !fileCopy) {
            WriteLine(line);
        }
    }
}

void TextProgressPage::SetProgress(int percent) {
    m_percent = std::clamp(percent, 0, 100);
    Redraw();
}

void TextProgressPage::ShowProgress() {
    m_progressShown = true;
    Redraw();
}

void TextProgressPage::Finish() {
    if (!m_drawn.empty()) {
        m_out << '\r' << kClearToEnd;
        m_out.flush();
        m_drawn.clear();
    }
}

void TextProgressPage::WriteLine(const std::string& line) {
    if (OnTerminal() && !m_drawn.empty()) {
        m_out << '\r' << line << kClearToEnd << '\n';
        m_drawn.clear();
        Redraw();
    } else {
        m_out << line << '\n';
    }
    m_out.flush();
}

std::string TextProgressPage::ProgressLine() const {
    std::string line;
    if (m_progressShown) {
        const int filled = m_percent * kBarWidth / 100;
        line = '[' + std::string(static_cast<std::size_t>(filled), '#') +
               std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] ";
        const std::string number = std::to_string(m_percent);
        line += std::string(3 - std::min<std::size_t>(3, number.size()), ' ') + number + "%  ";
    }
    // The last column stays free: writing into it makes some terminals wrap.
    const auto room = static_cast<std::size_t>(std::max(m_columns - 1, 0));
    if (line.size() >= room) {
        return line.substr(0, room);
    }
    return line + KeepEnd(m_status, room - line.size());
}

void TextProgressPage::Redraw() {
    if (!OnTerminal()) {
        return;
    }
    const std::string line = ProgressLine();
    if (line == m_drawn) {
        return;
    }
    m_out << '\r' << line << kClearToEnd;
    m_out.flush();
    m_drawn = line;
}
