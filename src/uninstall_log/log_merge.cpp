#include "uninstall_log/log_merge.hpp"

#include "uninstall_log/same_item.hpp"

#include <unordered_set>

namespace {

// Entries of kinds 2 to 7 stand for one thing each; folders and files are told apart by the item
// their path names.
bool IsPerKind(const UninstallLogEntry& entry) { return entry.kind > UninstallLogEntry::File; }

std::string ExactKey(const UninstallLogEntry& entry) {
    return IsPerKind(entry) ? std::to_string(entry.kind) : std::to_string(entry.kind) + '\0' + entry.path;
}

std::string IdentityKey(const UninstallLogEntry& entry) {
    return std::to_string(entry.kind) + '\0' + ItemIdentity(entry.path);
}

}  // namespace

// Exact path matches are found first; file-system identities are computed only when a path has
// no exact match, so an update over the same paths costs no file-system call.
void MergePreviousEntries(std::list<UninstallLogEntry>& previous, std::list<UninstallLogEntry>& current) {
    std::unordered_set<std::string> exact;
    std::unordered_set<std::string> identities;
    bool identitiesReady = false;
    for (const auto& entry : current) {
        exact.insert(ExactKey(entry));
    }
    while (!previous.empty()) {
        auto old = std::prev(previous.end());
        bool matched = exact.contains(ExactKey(*old));
        if (!matched && !IsPerKind(*old)) {
            if (!identitiesReady) {
                for (const auto& entry : current) {
                    if (!IsPerKind(entry)) {
                        identities.insert(IdentityKey(entry));
                    }
                }
                identitiesReady = true;
            }
            matched = !identities.insert(IdentityKey(*old)).second;
        }
        if (matched) {
            previous.erase(old);
            continue;
        }
        exact.insert(ExactKey(*old));
        current.splice(current.begin(), previous, old);
    }
}

