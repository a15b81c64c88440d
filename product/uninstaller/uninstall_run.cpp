#include "uninstall_run.hpp"

#include "file_type_registration.hpp"

#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/file_fingerprint.hpp"
#include "platform/kernel/file_operations.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/registry/key.hpp"
#include "platform/shell/change_notify.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/theme_icons.hpp"

#include <boost/filesystem/operations.hpp>

#include <algorithm>

namespace quillon {

namespace {

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;
namespace reg = platform::registry;
namespace win32 = platform::kernel::win32;

std::string describe(const std::string& what, std::error_code ec) {
    return what + ": " + ec.message() + " (" + std::to_string(ec.value()) + ")";
}

bool is_missing(std::error_code ec) {
    return ec.value() == static_cast<int>(win32::file_not_found) ||
           ec.value() == static_cast<int>(win32::path_not_found);
}

bool same_path(const fs::path& a, const fs::path& b) {
    if (a.lexically_normal() == b.lexically_normal()) {
        return true;
    }
    boost::system::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

std::size_t key_depth(const std::string& key) {
    return static_cast<std::size_t>(std::count(key.begin(), key.end(), '\\'));
}

class undo_walk {
public:
    undo_walk(const fs::path& log_file, const fs::path& uninstaller, const ReadRecord& record)
        : m_log_file(log_file), m_uninstaller(uninstaller), m_record(record) {
        m_report.record = record.state;
    }

    void undo(const UninstallLogEntry& entry) {
        switch (entry.kind) {
            case UninstallLogEntry::Folder:
                if (names_one_place(entry.path)) {
                    remove_folder(entry.path, true);
                }
                break;
            case UninstallLogEntry::File:
                if (names_one_place(entry.path) && !same_path(entry.path, m_log_file) &&
                    !same_path(entry.path, m_uninstaller) && still_as_written(entry.path)) {
                    remove_file(entry.path);
                }
                break;
            case UninstallLogEntry::StartMenuShortcut:
            case UninstallLogEntry::UninstallShortcut:
            case UninstallLogEntry::DesktopShortcut:
                // A shortcut that was never made leaves its entry without a path.
                if (!entry.path.empty() && names_one_place(entry.path)) {
                    remove_shortcut(entry.path);
                }
                break;
            case UninstallLogEntry::UninstallKey:
                remove_uninstall_key();
                break;
            case UninstallLogEntry::RegistrationRun:
                remove_file_type();
                break;
            case UninstallLogEntry::DirectXRuntime:
                if (!m_runtime_noted) {
                    m_report.kept.push_back({"DirectX runtime", kept_reason::shared_component});
                    m_runtime_noted = true;
                }
                break;
            default:
                break;
        }
    }

    // The log and the uninstaller go last; then the folders they kept from being empty.
    void finish() {
        remove_file(m_log_file.string());
        remove_file((m_log_file.parent_path() / kInstallationRecordName).string());
        remove_file(m_uninstaller.string());
        for (const std::string& folder : m_busy_folders) {
            remove_folder(folder, false);
        }
        remove_installed_program_value();
        remove_created_keys();
        // The shortcuts' icons went with them: the icon themes' caches, where there are any, follow.
        for (const int place : {platform::shell::csidl::common_startmenu, platform::shell::csidl::startmenu}) {
            if (const auto data = platform::shell::special_folder(place)) {
                platform::shell::refresh_icon_cache(platform::shell::hicolor_theme(*data));
            }
        }
    }

    uninstall_report take_report() { return std::move(m_report); }

private:
    // A relative path would be taken from wherever the uninstaller was started and could remove the
    // user's own files there: it is reported and left alone.
    bool names_one_place(const std::string& path) {
        if (fs::path(path).is_absolute()) {
            return true;
        }
        m_report.failures.push_back((path.empty() ? std::string("(an empty path)") : path) +
                                    ": not an absolute path, left alone");
        return false;
    }

    // Whether the file may go: the record knows it and it is unchanged, or the record cannot judge it.
    bool still_as_written(const std::string& path) {
        if (m_record.state != RecordState::valid) {
            ++m_report.unjudged_files;
            return true;
        }
        if (m_record.record.keptPreexisting.contains(path)) {
            if (kernel::find_item(path) != kernel::found_item::nothing) {
                m_report.kept.push_back({path, kept_reason::preexisting});
            }
            return false;
        }
        const auto recorded = m_record.record.written.find(path);
        if (recorded == m_record.record.written.end()) {
            ++m_report.unjudged_files;
            return true;
        }
        // A link, fifo or second name that someone put in the file's place holds nothing of the
        // user's: it goes as the installer's own rule takes it away, never what it leads to.
        if (kernel::find_item(path) == kernel::found_item::planted) {
            return true;
        }
        std::error_code ec;
        const auto now = kernel::fingerprint_file(path, ec);
        if (!now) {
            if (is_missing(ec)) {
                return false;
            }
            // What cannot be read cannot be shown to be unchanged.
            m_report.failures.push_back(describe(path, ec));
            return false;
        }
        if (*now != recorded->second) {
            m_report.kept.push_back({path, kept_reason::changed});
            return false;
        }
        return true;
    }

    void remove_file(const std::string& path) {
        if (path.empty()) {
            return;
        }
        // The installer marks the program files read-only, and a read-only file cannot be deleted.
        const std::uint32_t attributes = kernel::file_attributes(path);
        if (attributes != kernel::invalid_file_attributes && (attributes & kernel::file_attribute_directory)) {
            m_report.failures.push_back(path + ": listed as a file but is a folder");
            return;
        }
        if (attributes != kernel::invalid_file_attributes && (attributes & kernel::file_attribute_readonly)) {
            kernel::set_file_attributes(path, kernel::file_attribute_normal);
        }
        const std::error_code ec = kernel::delete_file(path);
        if (!ec) {
            m_report.removed.push_back(path);
        } else if (!is_missing(ec)) {
            if (attributes != kernel::invalid_file_attributes && (attributes & kernel::file_attribute_readonly)) {
                kernel::set_file_attributes(path, attributes);
            }
            m_report.failures.push_back(describe(path, ec));
        }
    }

    void remove_folder(const std::string& path, bool retry_later) {
        if (path.empty()) {
            return;
        }
        const std::error_code ec = kernel::remove_folder(path);
        if (!ec) {
            m_report.removed.push_back(path);
            platform::shell::change_notify(platform::shell::shcne::rmdir, path);
        } else if (ec.value() == static_cast<int>(win32::dir_not_empty)) {
            if (retry_later) {
                m_busy_folders.push_back(path);
            } else {
                m_report.kept.push_back({path, kept_reason::holds_other_files});
            }
        } else if (!is_missing(ec)) {
            m_report.failures.push_back(describe(path, ec));
        }
    }

    void remove_shortcut(const std::string& path) {
        // A shortcut that was never made leaves its entry without a path.
        if (path.empty()) {
            return;
        }
        const std::size_t before = m_report.removed.size();
        remove_file(path);
        if (m_report.removed.size() != before) {
            platform::shell::change_notify(platform::shell::shcne::delete_item, path);
        }
    }

    void remove_uninstall_key() {
        const std::string name = "HKEY_LOCAL_MACHINE\\" + std::string(uninstall_key_path);
        const auto slash = std::string_view(uninstall_key_path).rfind('\\');
        const std::string parent(uninstall_key_path, slash);
        const std::string product(uninstall_key_path + slash + 1);
        auto key = reg::Key::open(reg::hive::local_machine, parent);
        if (!key) {
            if (key.error() != reg::errc::file_not_found) {
                m_report.failures.push_back(describe(name, key.error()));
            }
            return;
        }
        const std::error_code ec = key->delete_tree(product);
        if (!ec) {
            m_report.removed.push_back(name);
        } else if (ec != reg::errc::file_not_found) {
            m_report.failures.push_back(describe(name, ec));
        }
    }

    void remove_file_type() {
        const auto failures = unregister_file_type();
        m_report.failures.insert(m_report.failures.end(), failures.begin(), failures.end());
        if (failures.empty()) {
            m_report.removed.push_back(std::string("document type ") + document_extension);
        }
        platform::shell::change_notify(platform::shell::shcne::assocchanged);
    }

    // The value is not in the log; it goes only while it still names this installation's program,
    // and the publisher's key with it once nothing else is left there.
    void remove_installed_program_value() {
        auto key = reg::Key::open(reg::hive::local_machine, publisher_key_path);
        if (!key) {
            return;
        }
        auto program = key->query_string(installed_program_value);
        if (!program || !same_path(fs::path(*program).parent_path(), m_uninstaller.parent_path())) {
            return;
        }
        const std::string name =
            "HKEY_LOCAL_MACHINE\\" + std::string(publisher_key_path) + " \"" + installed_program_value + "\"";
        if (const std::error_code ec = key->delete_value(installed_program_value)) {
            m_report.failures.push_back(describe(name, ec));
            return;
        }
        m_report.removed.push_back(name);
        auto values = key->values();
        auto subkeys = key->subkeys();
        if (values && values->empty() && subkeys && subkeys->empty()) {
            if (auto software = reg::Key::open(reg::hive::local_machine, "Software")) {
                software->delete_tree("Vintrel");
            }
        }
    }

    // The keys the installation created on the way to its own, deepest first, each only once it is
    // empty: a key holding anything of another program stays, and so do the keys above it.
    void remove_created_keys() {
        if (m_record.state != RecordState::valid) {
            return;
        }
        std::vector<std::string> keys = m_record.record.createdKeys;
        std::stable_sort(keys.begin(), keys.end(),
                         [](const std::string& a, const std::string& b) { return key_depth(a) > key_depth(b); });
        for (const std::string& path : keys) {
            auto key = reg::Key::open(reg::hive::local_machine, path);
            if (!key) {
                continue;
            }
            auto values = key->values();
            auto subkeys = key->subkeys();
            if (!values || !subkeys || !values->empty() || !subkeys->empty()) {
                continue;
            }
            const std::error_code ec = reg::Key::root(reg::hive::local_machine).delete_tree(path);
            if (!ec) {
                m_report.removed.push_back("HKEY_LOCAL_MACHINE\\" + path);
            } else if (ec != reg::errc::file_not_found) {
                m_report.failures.push_back(describe("HKEY_LOCAL_MACHINE\\" + path, ec));
            }
        }
    }

    fs::path m_log_file;
    fs::path m_uninstaller;
    const ReadRecord& m_record;
    std::vector<std::string> m_busy_folders;
    bool m_runtime_noted = false;
    uninstall_report m_report;
};

}  // namespace

std::string kept_text(const kept_item& item) {
    switch (item.reason) {
        case kept_reason::changed:
            return item.what + ": changed since the installation";
        case kept_reason::preexisting:
            return item.what + ": there before the installation";
        case kept_reason::holds_other_files:
            return item.what + ": holds files the installation did not write";
        case kept_reason::shared_component:
            return item.what + ": a system component other programs use";
    }
    return item.what;
}

std::string record_state_text(RecordState state) {
    switch (state) {
        case RecordState::valid:
            return "the installation record does not know them";
        case RecordState::missing:
            return "the installation record is missing";
        case RecordState::damaged:
            return "the installation record is damaged";
        case RecordState::foreign:
            return "the installation record belongs to another installation";
    }
    return {};
}

uninstall_report undo_installation(const UninstallLog& log, const fs::path& log_file, const fs::path& uninstaller,
                                   const ReadRecord& record,
                                   const std::function<void(std::size_t, std::size_t)>& progress) {
    undo_walk walk(log_file, uninstaller, record);
    // A log that was read holds its entries as previous entries; one filled in memory as entries.
    // Either way the file order is oldest first.
    std::vector<const UninstallLogEntry*> ordered;
    for (const auto* list : {&log.previousEntries, &log.entries}) {
        for (const auto& entry : *list) {
            ordered.push_back(&entry);
        }
    }
    std::size_t done = 0;
    std::for_each(ordered.rbegin(), ordered.rend(), [&](const UninstallLogEntry* entry) {
        walk.undo(*entry);
        if (progress) {
            progress(++done, ordered.size());
        }
    });
    walk.finish();
    return walk.take_report();
}

}  // namespace quillon
