// The message boxes of start-up, in one place: the process's own boxes shown before the application
// exists, and the application's boxes.
#pragma once

#include <string>

// A box without owner and with the system's default caption, as the process shows before the
// application object exists; returns the pressed button.
int ShowProcessMessage(const std::string& text, unsigned type);

// A box captioned with the application's current name and owned by its main window, read right to
// left when that window is laid out right to left; returns the pressed button.
int ShowAppMessage(const std::string& text, unsigned type);
