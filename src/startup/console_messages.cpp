#include "startup/console_messages.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/ui/framework_constants.hpp"

#include <atomic>
#include <cstdio>

namespace ui = platform::ui;

namespace {

std::atomic<bool> g_consoleMessages{false};

int Answer(unsigned type) {
    switch (type & ui::MB_TYPEMASK) {
        case ui::MB_OKCANCEL:
        case ui::MB_YESNOCANCEL:
        case ui::MB_RETRYCANCEL:
        case ui::MB_CANCELTRYCONTINUE:
            return ui::IDCANCEL;
        case ui::MB_YESNO:
            return ui::IDNO;
        case ui::MB_ABORTRETRYIGNORE:
            return ui::IDABORT;
        default:
            return ui::IDOK;
    }
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

}  // namespace

void UseConsoleMessages() {
    g_consoleMessages = true;
}

bool ConsoleMessagesInUse() {
    return g_consoleMessages;
}

int ShowConsoleMessage(const std::string& text, unsigned type) {
    const std::string line = OneLine(text);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    platform::diagnostics::note("Message: ", line);
    return Answer(type);
}
