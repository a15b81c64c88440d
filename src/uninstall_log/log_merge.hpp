// Carries a previous installation's log entries into this installation's list.
#pragma once

#include "uninstall_log/uninstall_log.hpp"

#include <list>

// Takes the previous entries from the last to the first: each one is dropped when `current`
// (with the previous entries already kept) holds an entry for the same thing (the same kind, and
// for folders and files the same item), and is kept at the head of `current` otherwise. Afterwards
// `previous` is empty and `current` holds the surviving previous entries in their order, then its
// own.
void MergePreviousEntries(std::list<UninstallLogEntry>& previous, std::list<UninstallLogEntry>& current);
