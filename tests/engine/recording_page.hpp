// An install page that remembers what a run reported: every status line, the log as text (a separator
// line is written as "<dashes: TEXT>"), the progress positions.
#pragma once

#include "engine/install_progress_page.hpp"

#include <stdexcept>
#include <string>
#include <vector>

class RecordingPage : public InstallProgressPage {
public:
    void SetStatusText(const std::string& text) override {
        ThrowIfAsked(text);
        statusTexts.push_back(text);
    }
    void SetStatusPath(const std::string& text) override {
        statusTexts.push_back(text);
        ++statusPaths;
    }
    void AppendLogLine(const std::string& text, bool separator) override {
        ThrowIfAsked(text);
        if (text.empty() || separator) {
            log += "<dashes:" + text + ">\r\n";
        } else {
            log += text;
        }
    }
    void SetProgress(int percent) override { progress.push_back(percent); }
    void ShowProgress() override { progressShown = true; }
    platform::ui::CWnd* GetProgressWindow() override { return nullptr; }

    void ThrowIfAsked(const std::string& text) {
        if (!throwAt.empty() && text.rfind(throwAt, 0) == 0) {
            throwAt.clear();
            throw std::runtime_error("the page failed at " + text);
        }
    }

    std::string Status() const { return statusTexts.empty() ? std::string() : statusTexts.back(); }

    // The log's lines; an unfinished last line is the last element.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::string::size_type start = 0;
        for (auto end = log.find("\r\n"); end != std::string::npos; end = log.find("\r\n", start)) {
            lines.push_back(log.substr(start, end - start));
            start = end + 2;
        }
        if (start < log.size()) {
            lines.push_back(log.substr(start));
        }
        return lines;
    }

    // A step that fails by an exception: the first log line or status text starting with this throws.
    std::string throwAt;

    std::vector<std::string> statusTexts;
    int statusPaths = 0;
    std::string log;
    std::vector<int> progress;
    bool progressShown = false;
};
