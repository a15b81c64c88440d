// What an installation run reports on and remembers: the install page's status line, log and progress
// bar, and the paths of the main program and the uninstaller that the run finds in the payload. The
// wizard's install page implements it; the run itself lives in the engine.
#pragma once

#include <string>
#include <system_error>

namespace platform::ui {
class CWnd;
}  // namespace platform::ui

class InstallProgressPage {
public:
    virtual ~InstallProgressPage() = default;

    // The status line, as given.
    virtual void SetStatusText(const std::string& text) = 0;
    // The status line for a text naming a file: shortened with an ellipsis to fit the line.
    virtual void SetStatusPath(const std::string& text) = 0;
    // Appends to the log. An empty text or the separator flag makes a full-width line of dashes (the
    // text centred in it) ended by a line end; any other text goes in as it is, without a line end.
    virtual void AppendLogLine(const std::string& text, bool separator) = 0;
    // The progress bar's position, 0 to 100, and making it visible.
    virtual void SetProgress(int percent) = 0;
    virtual void ShowProgress() = 0;
    // The page's window: the owner of what the run shows (the runtime setup).
    virtual platform::ui::CWnd* GetProgressWindow() = 0;

    // Set by the run from the payload entries of the main program and the uninstaller; emptied at
    // the start of every run.
    std::string m_strMainProgramPath;
    std::string m_strUninstallerPath;
    // The system's error behind a failed run, when one is known (the code its failure text shows);
    // emptied at the start of every run.
    std::error_code m_failureCause;
};
