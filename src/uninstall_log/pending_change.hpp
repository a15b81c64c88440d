// The open outcome of one recorded change: the caller records, makes the change, then completes the
// handle with whether it was made. A handle that goes out of scope unfinished (an early return, an
// exception) marks its change as failed, so no path leaves an entry waiting or completes the wrong one.
#pragma once

#include <optional>
#include <string>

class UninstallLog;
struct UninstallLogEntry;

class [[nodiscard]] PendingChange {
public:
    // A handle of nothing: completing it does nothing.
    PendingChange() = default;
    PendingChange(PendingChange&& other) noexcept;
    PendingChange& operator=(PendingChange&& other) noexcept;
    PendingChange(const PendingChange&) = delete;
    PendingChange& operator=(const PendingChange&) = delete;
    ~PendingChange();

    // Closes the change: sets its done flag and, when given, replaces its path by the text. Only the
    // first completion counts; after a rollback has taken the entry away it does nothing.
    void Complete(bool done, std::optional<std::string> text = std::nullopt);

private:
    friend class UninstallLog;
    PendingChange(UninstallLog& log, UninstallLogEntry& entry);
    // Forgets the log and the entry without touching them.
    void Detach() noexcept;

    UninstallLog* m_log = nullptr;
    UninstallLogEntry* m_entry = nullptr;
};
