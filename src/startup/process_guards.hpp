// The checks and set-up that run when the process starts, before the application object exists:
// the processor, the error mode and locale, the user-interface library, the application id and the
// running-instance count. A check that fails ends the process with its message.
#pragma once

#include <cstdint>

// Runs every step in order; returns only when the process may go on.
void InitializeProcess();

// Each step on its own, in the order InitializeProcess runs them.
void CheckProcessor();           // exit code 1 without SSE2
void SetUpErrorModeAndLocale();  // exit code -11 when the locale services are unusable
void SetUpApplication();         // exit code 1 below Qt 6.0; then the id and this process's count

// The exit code every failed check ends the process with from now on, in place of its own (1, -11):
// an unattended run reports all of them as one start-up failure.
void UseExitCodeForFailedChecks(int exitCode);

// Whether CheckProcessor has passed in this process.
bool ProcessorCheckPassed();

// The process's error mode: failures of missing media and unopenable files come back to the caller
// as errors, never as system dialogs (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX once set up).
std::uint32_t GetProcessErrorMode();

// The user-interface library's version as major * 65536 + minor, from a version text "6.4.2"; 0
// when the text is not one.
std::uint32_t UiLibraryVersion(const char* versionText);
