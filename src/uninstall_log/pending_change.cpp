#include "uninstall_log/pending_change.hpp"

#include "uninstall_log/uninstall_log.hpp"

#include <algorithm>

PendingChange::PendingChange(UninstallLog& log, UninstallLogEntry& entry) : m_log(&log), m_entry(&entry) {
    m_log->m_openChanges.push_back(this);
}

PendingChange::PendingChange(PendingChange&& other) noexcept : m_log(other.m_log), m_entry(other.m_entry) {
    if (m_log) {
        std::replace(m_log->m_openChanges.begin(), m_log->m_openChanges.end(), &other, this);
    }
    other.m_log = nullptr;
    other.m_entry = nullptr;
}

PendingChange& PendingChange::operator=(PendingChange&& other) noexcept {
    if (this != &other) {
        Complete(false);
        m_log = other.m_log;
        m_entry = other.m_entry;
        if (m_log) {
            std::replace(m_log->m_openChanges.begin(), m_log->m_openChanges.end(), &other, this);
        }
        other.m_log = nullptr;
        other.m_entry = nullptr;
    }
    return *this;
}

PendingChange::~PendingChange() {
    Complete(false);
}

void PendingChange::Complete(bool done, std::optional<std::string> text) {
    if (!m_log) {
        return;
    }
    std::erase(m_log->m_openChanges, this);
    m_entry->done = done;
    if (text) {
        m_entry->path = std::move(*text);
    }
    Detach();
}

void PendingChange::Detach() noexcept {
    m_log = nullptr;
    m_entry = nullptr;
}
