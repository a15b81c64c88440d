// The registration run: the installed main program started once with " /Register /Background" (and
// " /update=<previous version>" on an update) and waited for; it registers the product's document
// type and answers with the exit code -10. The installer's single-instance mutex is let go for the
// time of the run, so that the program may run, and taken back afterwards.
#pragma once

#include <cstdint>
#include <string>

class CInstallApp;

inline constexpr std::int32_t kRegistrationSucceeded = -10;

struct RegistrationOutcome {
    bool started = false;
    std::int32_t exitCode = 0;
    bool Succeeded() const { return started && exitCode == kRegistrationSucceeded; }
};

// The command line: the program's path (in double quotes when it holds a blank), " /Register
// /Background", and for a previous version other than 0 " /update=" with its 16 lower-case
// hexadecimal digits.
std::string RegistrationCommandLine(const std::string& mainProgramPath, std::uint64_t previousVersion);

// Records the run (and, for a rollback only, the document type's keys and files as they are before
// it, which the uninstaller removes its own way), starts the program at high priority in its own folder, waits for it
// without a time limit, completes the record with (exit code = -10) and, on success, tells the desktop that file
// associations have changed.
RegistrationOutcome RunRegistration(CInstallApp& app, const std::string& mainProgramPath);
