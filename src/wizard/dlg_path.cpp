#include "wizard/dlg_path.hpp"

#include "identity/product_identity.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/ui/data_exchange.hpp"
#include "platform/ui/edit.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"
#include "wizard/folder_browser.hpp"
#include "wizard/session.hpp"
#include "wizard/wizard_texts.hpp"

namespace ui = platform::ui;
namespace text = wizard_text;

namespace {

constexpr int kGroup = 1008;
constexpr int kPrompt = 1009;
constexpr int kFolder = 1007;
constexpr int kBrowse = 1006;
constexpr int kStatus = 1003;

std::string Prompt() {
    return FormatText(LoadText(text::SelectFolder), {GetProductText(true)});
}

}  // namespace

bool CDlgPath::OnInitDialog() {
    CWizardPage::OnInitDialog();
    // An installed product keeps its folder.
    if (Session().m_nPreviousInstall != PreviousNone) {
        if (ui::CWnd* prompt = GetDlgItem(kPrompt)) {
            prompt->EnableWindow(false);
        }
        if (ui::CWnd* browse = GetDlgItem(kBrowse)) {
            browse->EnableWindow(false);
        }
        if (auto* folder = GetDlgItem<ui::CEdit>(kFolder)) {
            folder->SetReadOnly(true);
        }
    }
    return true;
}

void CDlgPath::DoDataExchange(ui::CDataExchange* pDX) {
    CInstallApp& app = Session();
    if (!pDX->m_bSaveAndValidate) {
        m_strFolder = app.m_strInstallFolder;
    }
    ui::DDX_Text(pDX, kFolder, m_strFolder);
    ui::DDV_MaxChars(pDX, m_strFolder, kMaxFolderChars);
    if (pDX->m_bSaveAndValidate) {
        app.m_strInstallFolder = m_strFolder;
    }
}

const ui::CMessageMap* CDlgPath::GetMessageMap() const {
    static const ui::CMessageMap map(CWizardPage::GetMessageMap(), {
                                                                       ui::ON_BN_CLICKED(kBrowse, &CDlgPath::OnBrowse),
                                                                   });
    return &map;
}

void CDlgPath::OnBrowse() {
    // A typed folder is where the browser starts; a refused one leaves the previous folder.
    UpdateData(true);
    CInstallApp& app = Session();
    std::string subFolder(kCompanyName);
    platform::shell::path_append(subFolder, kProductKey);
    const std::string chosen = BrowseForFolder(Prompt(), app.m_strInstallFolder, subFolder);
    if (!chosen.empty()) {
        app.m_strInstallFolder = chosen;
        UpdateData(false);
    }
}

void CDlgPath::RefreshTexts() {
    SetDlgItemText(kGroup, LoadText(text::FolderSelection));
    SetDlgItemText(kPrompt, Prompt());
    SetDlgItemText(kBrowse, LoadText(text::Browse));
    SetDlgItemText(kStatus, FormatText(LoadText(text::ClickToContinue), {LoadText(text::Next)}));
}

void CDlgPath::GrowBy(int dw, int dh) {
    GrowControl(kGroup, dw, 0);
    GrowControl(kPrompt, dw, 0);
    GrowControl(kFolder, dw, 0);
    MoveControl(kBrowse, dw, 0);
    GrowControl(kStatus, dw, 0);
    MoveControl(kStatus, 0, dh);
}
