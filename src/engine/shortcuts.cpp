#include "engine/shortcuts.hpp"

#include "engine/engine_texts.hpp"
#include "engine/install_progress_page.hpp"
#include "engine/step_report.hpp"
#include "identity/product_identity.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/shell/shell_link.hpp"
#include "platform/shell/theme_icons.hpp"
#include "platform/shell/user_folders.hpp"
#include "platform/system/user_file_rights.hpp"
#include "platform/ui/message_pump.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <system_error>
#include <vector>

namespace shell = platform::shell;

namespace {

// How the desktop files and shows each program's entries.
struct ShortcutLook {
    std::vector<std::string> categories;
    std::string windowClass;  // the class of the program's window; empty for a program without one
};

const ShortcutLook kMainProgramLook{{"Office", "WordProcessor"}, std::string(kProductWindowClass)};
const ShortcutLook kUninstallerLook{{"Settings", "PackageManager"}, {}};

// Saves the shortcut; true when it was made. In the user's own folders (the desktop, the user's
// menu) the link and its icon are written with the user's rights, so that they are the user's.
bool SaveShortcut(const PlannedShortcut& planned) {
    try {
        const platform::system::user_file_rights rights(shell::in_user_folders(planned.path));
        return !planned.link.save(planned.path);
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace

std::optional<PlannedShortcut> PlanShortcut(const std::string& target, const std::string& folder,
                                            const std::string& name) {
    std::string workingFolder = target;
    if (folder.empty() || !shell::remove_file_spec(workingFolder) || workingFolder.empty()) {
        return std::nullopt;
    }
    std::string linkName = name;
    if (linkName.empty()) {
        linkName = std::string(shell::find_file_name(target));
        shell::remove_extension(linkName);
    }
    std::string linkPath = folder;
    // A name is one element: one that would lead elsewhere is not a shortcut of this folder.
    if (linkName.empty() || linkName.find('/') != std::string::npos || linkName == "." || linkName == ".." ||
        !shell::path_append(linkPath, linkName)) {
        return std::nullopt;
    }
    linkPath += shell::link_extension;

    PlannedShortcut planned;
    planned.link.set_path(target);
    planned.link.set_working_directory(workingFolder);
    planned.path = linkPath;
    return planned;
}

bool CreateShortcut(const std::string& target, const std::string& folder, const std::string& name,
                    std::string* created) {
    const auto planned = PlanShortcut(target, folder, name);
    if (!planned || !SaveShortcut(*planned)) {
        return false;
    }
    if (created) {
        *created = planned->path;
    }
    return true;
}

boost::filesystem::path ShortcutDesktopFolder() {
    if (auto common = shell::special_folder(shell::csidl::common_desktopdirectory)) {
        return *common;
    }
    return shell::special_folder(shell::csidl::desktopdirectory).value_or(boost::filesystem::path());
}

namespace {

// Whether this run has recorded the file already (two shortcuts of one program share its icon).
bool RecordedByThisRun(const UninstallLog& log, const boost::filesystem::path& file) {
    return std::any_of(log.entries.begin(), log.entries.end(), [&](const UninstallLogEntry& entry) {
        return entry.kind == UninstallLogEntry::File && entry.path == file.string();
    });
}

// Records, makes and completes one shortcut; false when it was not made. The icon files its saving
// installs are recorded as files of the installation, and the theme's cache as it was, so that the
// rollback and the uninstaller remove them with the shortcut.
bool MakeRecordedShortcut(UninstallLog& log, ShortcutKind which, const std::string& target, const std::string& folder,
                          const std::string& name, const ShortcutLook& look) {
    PendingChange change = log.AddShortcut(which, folder);
    auto planned = PlanShortcut(target, folder, name);
    bool made = false;
    if (planned) {
        planned->link.set_categories(look.categories);
        planned->link.set_window_class(look.windowClass);
        std::vector<PendingChange> icons;
        const auto iconFiles = planned->link.icon_files(planned->path);
        // The saving refreshes an existing cache and makes none.
        const auto cache = shell::icon_cache_file(shell::shell_link::icon_theme(planned->path));
        boost::system::error_code error;
        if (!iconFiles.empty() && boost::filesystem::exists(cache, error)) {
            log.RecordFileState(cache);
        }
        for (const auto& file : iconFiles) {
            if (!RecordedByThisRun(log, file)) {
                icons.push_back(log.AddFile(file, -1, PreviousFile::MoveAside));
            }
        }
        made = SaveShortcut(*planned);
        for (PendingChange& icon : icons) {
            icon.Complete(made);
        }
    }
    change.Complete(made, made ? std::optional<std::string>(planned->path) : std::nullopt);
    // Each shortcut may have the desktop rebuild its menu database: the window is served in between.
    platform::ui::PumpMessages();
    return made;
}

}  // namespace

void CreateShortcuts(CInstallApp& app, InstallProgressPage& page) {
    if (!app.m_bStartMenuShortcut && !app.m_bDesktopShortcut) {
        return;
    }
    BeginStep(page, LoadText(engine_text::kShortcutsCreation));
    const std::string displayName = GetProductText(false);
    bool ok = true;
    if (app.m_bStartMenuShortcut) {
        ok &= MakeRecordedShortcut(app.m_uninstallLog, ShortcutKind::StartMenuMain, page.m_strMainProgramPath,
                                   app.m_strStartMenuFolder, displayName, kMainProgramLook);
        const std::string uninstallName =
            FormatText(LoadText(engine_text::kUninstallShortcutName), {GetProductText(true)});
        ok &= MakeRecordedShortcut(app.m_uninstallLog, ShortcutKind::StartMenuUninstall, page.m_strUninstallerPath,
                                   app.m_strStartMenuFolder, uninstallName, kUninstallerLook);
    }
    if (app.m_bDesktopShortcut) {
        ok &= MakeRecordedShortcut(app.m_uninstallLog, ShortcutKind::Desktop, page.m_strMainProgramPath,
                                   ShortcutDesktopFolder().string(), displayName, kMainProgramLook);
    }
    AppendOutcome(page, ok);
}
