// Asking for administrator rights from a user's desktop. A wizard started by a user who is not an
// administrator starts a copy of itself through pkexec, the desktop's own password dialog, waits
// for it and ends with its exit code; it shows no window of its own. The copy is marked so that it
// never asks again, and checks that it is the file the user started.
//
// The request is made before this process counts itself as a running instance or takes the
// installer mutex (see main.cpp), so that the copy finds neither held.
//
// Failure modes: when pkexec is missing, when the program file could be swapped by another account,
// when the user cancels (pkexec's 126) or is not authorised (127), nothing is asked or the answer is
// no: RunRaisedCopy returns nothing and start-up goes on, to show that rights are missing. Every
// reason goes to the diagnostic log.
#pragma once

#include "startup/elevation_arguments.hpp"

#include <optional>
#include <string>
#include <vector>

// pkexec's own exit codes: the user dismissed the dialog; the user is not authorised (or pkexec failed).
inline constexpr int kElevationCancelled = 126;
inline constexpr int kElevationNotAuthorised = 127;

// In the first process of a wizard: the raised copy's exit code when it ran; nothing when this
// process is to go on itself (an administrator already, a marked copy, or no rights to be had).
// `userArguments` are the user's own arguments, passed on to the copy unchanged.
std::optional<int> RunRaisedCopy(const std::vector<std::string>& userArguments, const ElevationArguments& own);

// In every process, before anything reads the environment: a marked copy running as root under
// pkexec checks the program identity and takes over the folder and variables it was given (a copy
// that is not root, or not under pkexec, takes none of them). Then a root process started by a
// user through pkexec or sudo works for that user (platform::system::act_for_user). False, with
// `error`, when a marked copy under pkexec is not the file the user started.
bool AcceptElevation(const ElevationArguments& taken, std::string& error);
