// Message boxes of an unattended run: no window may open, so each box becomes one line on standard
// error (and in the diagnostic log) and is answered at once, as a person would who may not wait: by
// its Cancel button when it has one, by No or Abort when those stand in for it, else by OK.
#pragma once

#include <string>

// From now on every start-up box of this process is a line on standard error.
void UseConsoleMessages();
bool ConsoleMessagesInUse();

// Writes the text as one line (its line ends become blanks) and returns the answer described above.
int ShowConsoleMessage(const std::string& text, unsigned type);
