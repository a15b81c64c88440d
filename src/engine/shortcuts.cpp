#include "engine/shortcuts.hpp"

#include "engine/engine_texts.hpp"
#include "engine/install_progress_page.hpp"
#include "engine/step_report.hpp"
#include "identity/product_identity.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/shell/shell_link.hpp"
#include "platform/shell/user_folders.hpp"
#include "platform/system/user_file_rights.hpp"
#include "platform/ui/message_pump.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"

#include <system_error>

namespace shell = platform::shell;

bool CreateShortcut(const std::string& target, const std::string& folder, const std::string& name,
                    std::string* created) {
    std::string workingFolder = target;
    if (folder.empty() || !shell::remove_file_spec(workingFolder) || workingFolder.empty()) {
        return false;
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
        return false;
    }
    linkPath += shell::link_extension;

    shell::shell_link link;
    link.set_path(target);
    link.set_working_directory(workingFolder);
    try {
        // In the user's own folders (the desktop, the user's menu) the link is the user's.
        const platform::system::user_file_rights rights(shell::in_user_folders(linkPath));
        if (link.save(linkPath)) {
            return false;
        }
    } catch (const std::system_error&) {
        return false;
    }
    if (created) {
        *created = linkPath;
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

// Records, makes and completes one shortcut; false when it was not made.
bool MakeRecordedShortcut(UninstallLog& log, ShortcutKind which, const std::string& target, const std::string& folder,
                          const std::string& name) {
    PendingChange change = log.AddShortcut(which, folder);
    std::string created;
    const bool made = CreateShortcut(target, folder, name, &created);
    change.Complete(made, made ? std::optional<std::string>(created) : std::nullopt);
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
                                   app.m_strStartMenuFolder, displayName);
        const std::string uninstallName =
            FormatText(LoadText(engine_text::kUninstallShortcutName), {GetProductText(true)});
        ok &= MakeRecordedShortcut(app.m_uninstallLog, ShortcutKind::StartMenuUninstall, page.m_strUninstallerPath,
                                   app.m_strStartMenuFolder, uninstallName);
    }
    if (app.m_bDesktopShortcut) {
        ok &= MakeRecordedShortcut(app.m_uninstallLog, ShortcutKind::Desktop, page.m_strMainProgramPath,
                                   ShortcutDesktopFolder().string(), displayName);
    }
    AppendOutcome(page, ok);
}
