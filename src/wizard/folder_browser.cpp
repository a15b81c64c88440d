#include "wizard/folder_browser.hpp"

#include "platform/kernel/system_messages.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/ui/detail/framework_texts.hpp"
#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/message_box.hpp"
#include "startup/language_catalogue.hpp"
#include "wizard/folder_browser_paths.hpp"

#include <boost/filesystem/operations.hpp>

using platform::ui::CFolderPicker;
using platform::ui::folder_picker_event;
namespace fs = boost::filesystem;
namespace shell = platform::shell;

namespace {

bool IsFolder(const std::string& path) {
    boost::system::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

// The root's parent folder, where the picker's relative paths start.
std::string ParentOf(const std::optional<fs::path>& root) {
    if (!root) {
        return {};
    }
    std::string parent = shell::canonicalize(root->string());
    shell::remove_file_spec(parent);  // "/" stays "/"
    return parent;
}

// The system's text for an error code in a warning box.
void ShowFolderError(platform::ui::CWnd* pOwner, std::uint32_t code) {
    namespace kernel = platform::kernel;
    namespace ui = platform::ui;
    std::optional<std::string> text = kernel::system_message_text(code);
    if (!text) {
        text = kernel::system_message_text(static_cast<std::uint32_t>(kernel::hresult::e_fail));
    }
    unsigned type = ui::MB_OK | ui::MB_ICONWARNING;
    // The framework's picker is not mirrored for the wizard's language, so the language decides too.
    if ((pOwner && pOwner->IsLayoutRTL()) || IsRightToLeft(GetLanguageState().current)) {
        type |= ui::MB_RTLREADING;
    }
    ui::MessageBox(pOwner, text.value_or(ui::detail::texts::default_caption), std::nullopt, type);
}

}  // namespace

FolderBrowser::FolderBrowser(std::string title, std::optional<fs::path> root)
    : m_strTitle(std::move(title)), m_root(std::move(root)), m_strRootParent(ParentOf(m_root)) {}

void FolderBrowser::Prepare(const std::string& startFolder, const std::string& subFolder) {
    // Without drive letters there is no "X:" to complete: a start folder is absolute or none.
    m_strPath = fs::path(startFolder).is_absolute() ? startFolder : std::string();
    if (m_strPath.empty() && m_root) {
        m_strPath = m_root->string();
    }
    if (m_strPath.empty()) {
        // Looked up on every run: reading it is cheap, and a copy kept for the process would outlive a
        // change of HOME.
        m_strPath = shell::documents_folder().value_or(fs::path()).string();
    }
    if (subFolder.empty()) {
        m_strSubFolder.clear();
    } else if (shell::has_only_path_chars(subFolder)) {
        m_strSubFolder = subFolder;
    }
    Apply();
}

void FolderBrowser::Apply() {
    m_strPath = AppendSubFolder(m_strPath, m_strSubFolder);
    if (!m_strRootParent.empty()) {
        m_strPath = RelativeToFolder(m_strRootParent, m_strPath);
    }
}

bool FolderBrowser::Run(const std::string& startFolder, const std::string& subFolder) {
    m_bTypedPathAccepted = false;
    Prepare(startFolder, subFolder);
    const bool bEditBox = !m_strSubFolder.empty();
    // No owner given: the picker goes on the application's main window, else the active window.
    CFolderPicker picker(nullptr, {m_strTitle, m_root, bEditBox, bEditBox,
                                   [this](CFolderPicker& self, folder_picker_event event, const std::string& text) {
                                       return OnPickerEvent(self, event, text);
                                   }});
    const int result = picker.DoModal();
    m_pEditBox = nullptr;
    if (result != platform::ui::IDOK) {
        return false;
    }
    if (!m_bTypedPathAccepted) {
        m_strPath = picker.GetPath().string();
    }
    return !m_strPath.empty();
}

int FolderBrowser::OnPickerEvent(CFolderPicker& picker, folder_picker_event event, const std::string& text) {
    switch (event) {
        case folder_picker_event::initialized:
            OnInitialized(picker);
            return 0;
        case folder_picker_event::selection_changed:
            OnSelectionChanged(picker, text);
            return 0;
        case folder_picker_event::validate_failed:
            return AcceptTypedPath(picker, text) ? 0 : 1;
    }
    return 0;
}

bool FolderBrowser::IsInsideRoot(const std::string& path) const {
    return !m_root || IsSameOrInside(path, m_root->string());
}

void FolderBrowser::OnInitialized(CFolderPicker& picker) {
    // The proposal usually does not exist yet: open the tree at its deepest existing folder, or at the
    // root, which is in the tree even while it does not exist.
    std::string folder =
        m_strRootParent.empty() ? m_strPath : shell::combine(m_strRootParent, m_strPath).value_or(std::string());
    const std::string root = m_root ? shell::canonicalize(m_root->string()) : std::string();
    while (!folder.empty() && !IsFolder(folder) && shell::canonicalize(folder) != root) {
        if (!shell::remove_file_spec(folder)) {
            folder.clear();
        }
    }
    if (m_root && (folder.empty() || !IsInsideRoot(folder))) {
        folder = root;
    }
    if (!folder.empty() && picker.SetSelection(folder)) {
        picker.SetExpanded(folder);
    }
    m_pEditBox = m_strSubFolder.empty() ? nullptr : picker.GetEditBox();
    if (!folder.empty()) {
        ShowPathInEditBox();
    }
}

void FolderBrowser::OnSelectionChanged(CFolderPicker& picker, const std::string& folder) {
    if (!folder.empty()) {
        m_strPath = folder;
        Apply();
    }
    ShowPathInEditBox();
    if (m_strSubFolder.empty()) {
        picker.EnableOK(!folder.empty());
    }
}

void FolderBrowser::ShowPathInEditBox() {
    if (m_pEditBox) {
        m_pEditBox->SetWindowText(m_strPath);
        m_pEditBox->SetSel(0, -1);
    }
}

bool FolderBrowser::AcceptTypedPath(CFolderPicker& picker, const std::string& typed) {
    std::string qualified;
    std::uint32_t error = QualifyTypedPath(typed, m_strRootParent, qualified);
    // Shown relative to the root's parent, a path must still lie in the root itself.
    if (!error && !IsInsideRoot(qualified)) {
        error = platform::kernel::win32::bad_pathname;
    }
    if (error) {
        ShowFolderError(&picker, error);
        return false;
    }
    m_strPath = std::move(qualified);
    m_bTypedPathAccepted = true;
    return true;
}

std::string BrowseForFolder(const std::string& title, const std::string& startFolder, const std::string& subFolder) {
    FolderBrowser browser(title);
    return browser.Run(startFolder, subFolder) ? browser.GetPath() : std::string();
}

std::string BrowseUnderPrograms(const std::string& title, const std::string& startFolder, const std::string& subFolder,
                                std::string* relativeFolder) {
    // The Programs folder is the root whether or not it exists yet: a tree of the whole machine would
    // let the menu entries land where no desktop looks for them.
    FolderBrowser browser(title, shell::special_folder(shell::csidl::common_programs));
    if (!browser.Run(startFolder, subFolder)) {
        return {};
    }
    if (relativeFolder) {
        *relativeFolder = browser.GetRootParent().empty()
                              ? browser.GetPath()
                              : RelativeToFolder(browser.GetRootParent(), browser.GetPath());
    }
    return browser.GetPath();
}
