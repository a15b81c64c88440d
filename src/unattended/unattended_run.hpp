// An installation without a person at the screen: the start-up checks with every question answered
// by its Cancel button, the quick installation's choices changed only by the command line, the
// installation sequence reporting to standard error, and an exit code for each outcome (exit_codes.hpp).
// No window system is needed: the user-interface library is never started.
#pragma once

#include "unattended/command_line.hpp"

#include <boost/filesystem/path.hpp>

// Runs the process guards, start-up and the installation; returns the exit code. A failed
// installation is reported with the system's text for its error, the rollback, and the diagnostic
// log when one is being written (`logFile`).
int RunUnattended(const UnattendedChoices& choices, const boost::filesystem::path& logFile = {});
