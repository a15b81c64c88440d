// Writing "Uninstall.ulog" at the end of an installation.
#include "identity/product_identity.hpp"
#include "platform/kernel/atomic_file.hpp"
#include "platform/kernel/file_attributes.hpp"
#include "platform/text/utf_convert.hpp"
#include "uninstall_log/backups.hpp"
#include "uninstall_log/log_merge.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <cstdio>

namespace kernel = platform::kernel;

namespace {

void AppendLine(std::u16string& out, const std::string& utf8) {
    out += platform::text::utf8_to_utf16(utf8);
    out += u"\r\n";
}

std::string EntryLine(std::size_t index, const UninstallLogEntry& entry) {
    char prefix[64];
    std::snprintf(
        prefix, sizeof prefix, "%04zu:%04x:%c -- ", index,
        static_cast<unsigned>(KindNumber(entry.kind) * 256 + (static_cast<std::uint32_t>(entry.value) & 0xFF)),
        entry.done ? '1' : '0');
    return prefix + entry.path;
}

// The registry entries stand in the file for their keys, not for a path.
std::string LoggedPath(const UninstallLogEntry& entry) {
    if (entry.kind == UninstallLogEntry::UninstallKey) {
        return UninstallKeyLogText();
    }
    if (entry.kind == UninstallLogEntry::RegistrationRun) {
        return kRegistrationRunLogText;
    }
    return entry.path;
}

}  // namespace

std::string UninstallKeyLogText() {
    return "HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKeyParent) + "\\" + std::string(kProductKey);
}

bool UninstallLog::Save(const boost::filesystem::path& file, const std::string& installPathText,
                        const std::string& shortcutPathText) const {
    std::list<UninstallLogEntry> previous = previousEntries;
    std::list<UninstallLogEntry> merged = entries;
    MergePreviousEntries(previous, merged);
    return WriteFile(file, installPathText, shortcutPathText, merged);
}

void UninstallLog::Commit() {
    MergePreviousEntries(previousEntries, entries);
    for (auto& entry : entries) {
        entry.path = LoggedPath(entry);
        entry.undo = nullptr;  // its backup goes now
        if (!entry.backupPath.empty()) {
            DiscardBackup(entry.backupPath);
            entry.backupPath.clear();
        }
    }
    for (auto& change : m_unlisted) {
        if (!change.backupPath.empty()) {
            DiscardBackup(change.backupPath);
        }
    }
    m_unlisted.clear();
    m_committed = true;
}

bool UninstallLog::WriteFile(const boost::filesystem::path& file, const std::string& installPathText,
                             const std::string& shortcutPathText, std::list<UninstallLogEntry>& merged) const {
    std::u16string text = u"\uFEFF";
    AppendLine(text, "// Uninstall Log File v1");
    AppendLine(text, "// ############ WARNING: Do not delete or modify this file. ############");
    std::string install = "// Install " + GetProductText(false);
    if (!previousProduct.empty()) {
        install += " -- Update (" + previousProduct + ")";
    }
    AppendLine(text, install);
    AppendLine(text, "// Install Path : " + installPathText);
    const std::string shortcutLine = "Shortcut Path : " + shortcutPathText;
    AppendLine(text, "// " + shortcutLine);
    AppendLine(text, "// " + std::string(platform::text::utf8_to_utf16(shortcutLine).size(), '-'));
    std::size_t index = 0;
    for (auto& entry : merged) {
        entry.path = LoggedPath(entry);
        AppendLine(text, EntryLine(index++, entry));
    }

    const std::string bytes = platform::text::utf16le_bytes(text);
    kernel::atomic_file out(file);
    out.set_permissions(0644);  // read by every user's uninstaller, like the files it lists
    out.write(std::as_bytes(std::span(bytes)));
    return out.is_open() &&
           !kernel::set_file_attributes(out.temporary_path(), kernel::file_attribute_readonly |
                                                                  kernel::file_attribute_archive |
                                                                  kernel::file_attribute_not_content_indexed) &&
           out.commit();
}
