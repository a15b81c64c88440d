// Everything start-up asks of the dialog framework beyond its application class: message boxes,
// the program icon and the main window's texts. Kept in one place so that start-up depends on as
// little of the framework as possible. In an unattended run (UseConsoleMessages) no box is shown:
// each is a line on standard error.
#pragma once

#include <string>

namespace platform::ui {
class CWnd;
}

// A box without owner and with the system's default caption, as the process shows before the
// application object exists; returns the pressed button.
int ShowProcessMessage(const std::string& text, unsigned type);

// A box captioned with the application's current name and owned by its main window, read right to
// left when that window is laid out right to left; returns the pressed button.
int ShowAppMessage(const std::string& text, unsigned type);

// Makes the program icon (icon resource 128, at its own size) the icon of the program's windows and
// message boxes. It is loaded once; it takes effect once the process's Qt application exists, so
// callers repeat this after making it.
void UseProgramIcon();

// Asks the main window, when it is one whose texts follow the language, to load them again.
void RefreshMainWindowTexts(platform::ui::CWnd* mainWindow);
