// The install page of an unattended run: what the engine reports goes to a text stream (standard
// error). On a terminal it is one progress line redrawn in place (the bar from the page's progress
// position, the status line's text: the current step or the file being copied), with each finished
// step other than a file copy written above it. Elsewhere (a pipe, a file) each finished log line, a
// step's text and its outcome word, is one line.
#pragma once

#include "engine/install_progress_page.hpp"

#include <ostream>
#include <string>

class TextProgressPage : public InstallProgressPage {
public:
    // terminalColumns: the width of the terminal's line, or 0 when the stream is not a terminal.
    TextProgressPage(std::ostream& out, int terminalColumns);
    ~TextProgressPage() override;
    TextProgressPage(const TextProgressPage&) = delete;
    TextProgressPage& operator=(const TextProgressPage&) = delete;

    void SetStatusText(const std::string& text) override;
    void SetStatusPath(const std::string& text) override;
    void AppendLogLine(const std::string& text, bool separator) override;
    void SetProgress(int percent) override;
    void ShowProgress() override;
    // No window: whatever the run starts owns none.
    platform::ui::CWnd* GetProgressWindow() override { return nullptr; }

    // The status line's last text (after a failed run, "Installation failed (Error Code ...)").
    const std::string& StatusText() const { return m_status; }

    // Clears the progress line, so that what follows starts on an empty line.
    void Finish();

private:
    bool OnTerminal() const { return m_columns > 0; }
    void WriteLine(const std::string& line);
    void Redraw();
    std::string ProgressLine() const;

    std::ostream& m_out;
    int m_columns;
    int m_percent = 0;
    bool m_progressShown = false;
    std::string m_status;
    std::string m_lastPathText;  // the last file's status text: its log line is a file copy
    std::string m_pendingLine;   // a step's text waiting for its outcome
    std::string m_drawn;         // the progress line on the terminal now; empty when none
};
