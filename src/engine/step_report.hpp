// How every step of an installation run reports on the install page: the step's text on the status
// line and at the start of a log line, later completed by its outcome word and a line end.
#pragma once

#include <string>

class InstallProgressPage;

// Status line := text; the log gets the text without a line end.
void BeginStep(InstallProgressPage& page, const std::string& text);
// Appends "OK" or "Failed" and the line end to the log.
void AppendOutcome(InstallProgressPage& page, bool ok);
// "Installation failed (Error Code <code>)."
std::string InstallationFailedText(const std::string& code);
