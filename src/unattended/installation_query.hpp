// `--query`: what is installed, as `key=value` lines on standard output, for the scripts and
// configuration tools that decide whether to run `--unattended`. It finds the previous installation
// through the same functions as the wizard's start-up (the installed-program value, the version of
// that file, the previous uninstall log, the recorded language), and needs neither a display nor
// administrator rights. It writes nothing: no named objects, no registry database, no log.
//
// The lines, always all five and in this order:
//   installed=yes|no
//   version=   the installed main program's version as the wizard shows it ("Quillon 7.01")
//   folder=    the installation folder the previous uninstall log names, else the main program's
//   language=  the ISO code of the product language the installation recorded
//   relation=  none, older, same or newer: the installed version compared with the carried one
// Without an installed product every value but `installed` and `relation` is empty. A value never
// holds a control character (each one becomes '?'), so every line stays one line.
#pragma once

#include "startup/previous_installation.hpp"

#include <iosfwd>
#include <string>
#include <system_error>

struct InstalledProductReport {
    bool installed = false;
    std::string version;
    std::string folder;
    std::string language;
    PreviousInstallStatus relation = PreviousNone;
};

// The report; `error` is set (and the report says nothing is installed) when the registry cannot be
// read.
InstalledProductReport QueryInstalledProduct(std::error_code& error);

// The report's five lines, each ended by a line end.
std::string FormatInstalledProductReport(const InstalledProductReport& report);

// The whole option: sets up the process (processor and locale checks only), answers on `out` and
// returns 0, or says why on `errors` (naming the program) and returns the start-up failure's exit code.
int RunQuery(const std::string& program, std::ostream& out, std::ostream& errors);
