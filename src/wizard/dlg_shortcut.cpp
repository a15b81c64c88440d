#include "wizard/dlg_shortcut.hpp"

#include "identity/product_identity.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/ui/data_exchange.hpp"
#include "platform/ui/framework_constants.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"
#include "wizard/folder_browser.hpp"
#include "wizard/session.hpp"
#include "wizard/wizard_texts.hpp"

namespace ui = platform::ui;
namespace shell = platform::shell;
namespace text = wizard_text;

namespace {

constexpr int kGroup = 1012;
constexpr int kMenu = 1011;
constexpr int kFolder = 1007;
constexpr int kBrowse = 1006;
constexpr int kDesktop = 1010;
constexpr int kStatus = 1003;

std::string StartMenuBase() {
    auto base = shell::special_folder(shell::csidl::common_startmenu);
    if (!base) {
        base = shell::special_folder(shell::csidl::startmenu);
    }
    return base ? base->string() : std::string();
}

// The folder as the page shows it: relative to the base, empty for the base itself, and the full
// path when there is no relative path (saving then gives it back unchanged).
std::string RelativeToBase(const std::string& base, const std::string& folder) {
    const auto relative = shell::relative_path_to(base, true, folder);
    if (!relative) {
        return folder;
    }
    return *relative == "." ? std::string() : shell::canonicalize(*relative);
}

}  // namespace

bool CDlgShortcut::OnInitDialog() {
    m_strStartMenuBase = StartMenuBase();
    CWizardPage::OnInitDialog();
    OnMenuCheck();
    return true;
}

void CDlgShortcut::DoDataExchange(ui::CDataExchange* pDX) {
    CInstallApp& app = Session();
    if (!pDX->m_bSaveAndValidate) {
        m_nDesktop = app.m_bDesktopShortcut ? ui::BST_CHECKED : ui::BST_UNCHECKED;
        m_nMenu = app.m_bStartMenuShortcut ? ui::BST_CHECKED : ui::BST_UNCHECKED;
        m_strRelativeFolder = RelativeToBase(m_strStartMenuBase, app.m_strStartMenuFolder);
    }
    ui::DDX_Check(pDX, kDesktop, m_nDesktop);
    ui::DDX_Check(pDX, kMenu, m_nMenu);
    ui::DDX_Text(pDX, kFolder, m_strRelativeFolder);
    ui::DDV_MaxChars(pDX, m_strRelativeFolder, kMaxFolderChars);
    if (pDX->m_bSaveAndValidate) {
        app.m_bDesktopShortcut = m_nDesktop != ui::BST_UNCHECKED;
        app.m_bStartMenuShortcut = m_nMenu != ui::BST_UNCHECKED;
        // The folder is kept also while its shortcuts are switched off.
        if (const auto folder = shell::combine(m_strStartMenuBase, m_strRelativeFolder)) {
            app.m_strStartMenuFolder = *folder;
        }
    }
}

const ui::CMessageMap* CDlgShortcut::GetMessageMap() const {
    static const ui::CMessageMap map(CWizardPage::GetMessageMap(),
                                     {
                                         ui::ON_BN_CLICKED(kMenu, &CDlgShortcut::OnMenuCheck),
                                         ui::ON_BN_CLICKED(kBrowse, &CDlgShortcut::OnBrowse),
                                     });
    return &map;
}

void CDlgShortcut::OnMenuCheck() {
    const bool menu = IsDlgButtonChecked(kMenu) != ui::BST_UNCHECKED;
    for (const int id : {kFolder, kBrowse}) {
        if (ui::CWnd* control = GetDlgItem(id)) {
            control->EnableWindow(menu);
        }
    }
}

void CDlgShortcut::OnBrowse() {
    UpdateData(true);
    CInstallApp& app = Session();
    const std::string chosen =
        BrowseUnderPrograms(LoadText(text::MenuShortcut), app.m_strStartMenuFolder, std::string(kProductKey));
    if (!chosen.empty()) {
        app.m_strStartMenuFolder = chosen;
        UpdateData(false);
    }
}

void CDlgShortcut::RefreshTexts() {
    SetDlgItemText(kGroup, LoadText(text::StartMenu));
    SetDlgItemText(kMenu, LoadText(text::MenuShortcut));
    SetDlgItemText(kBrowse, LoadText(text::Browse));
    SetDlgItemText(kDesktop, LoadText(text::DesktopShortcut));
    SetDlgItemText(kStatus, FormatText(LoadText(text::ClickToContinue), {LoadText(text::Next)}));
}

void CDlgShortcut::GrowBy(int dw, int dh) {
    GrowControl(kGroup, dw, 0);
    GrowControl(kMenu, dw, 0);
    GrowControl(kFolder, dw, 0);
    MoveControl(kBrowse, dw, 0);
    GrowControl(kDesktop, dw, 0);
    GrowControl(kStatus, dw, 0);
    MoveControl(kStatus, 0, dh);
}
