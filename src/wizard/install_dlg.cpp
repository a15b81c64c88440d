#include "wizard/install_dlg.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/menu.hpp"
#include "platform/ui/picture.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_catalogue.hpp"
#include "startup/language_texts.hpp"
#include "startup/startup_error.hpp"
#include "startup/startup_ui.hpp"
#include "wizard/about_dlg.hpp"
#include "wizard/session.hpp"
#include "wizard/wizard_texts.hpp"

#include <algorithm>
#include <exception>

namespace ui = platform::ui;
namespace text = wizard_text;

namespace {

constexpr int kBackButton = 3;
constexpr int kBanner = 1005;     // the banner's white area; the page area starts at its right edge
constexpr int kSeparator = 1002;  // the line above the buttons; the page area ends at its top edge
constexpr unsigned kProgramIcon = 128;

constexpr unsigned kMoveOnly = ui::SWP_NOSIZE | ui::SWP_NOZORDER | ui::SWP_NOREDRAW | ui::SWP_NOACTIVATE;
constexpr unsigned kSizeOnly = ui::SWP_NOMOVE | ui::SWP_NOZORDER | ui::SWP_NOREDRAW | ui::SWP_NOACTIVATE;

// The system menu's About item: "&About 'Installer'...", or "...About 'Installer'" in a language
// written right to left; empty when the catalogue has no About text.
std::string AboutItemText() {
    std::string about = FormatText(LoadText(text::About), {LoadText(text::Installer)});
    if (about.empty()) {
        return about;
    }
    if (IsRightToLeft(GetLanguageState().current)) {
        return "..." + about;
    }
    return "&" + about + "...";
}

// A window's rectangle in the client coordinates of `host`.
ui::CRect RectIn(const ui::CWnd& host, const ui::CWnd& window) {
    ui::CRect rect = window.GetWindowRect();
    host.ScreenToClient(rect);
    return rect;
}

}  // namespace

CInstallDlg::CInstallDlg(ui::CWnd* pParent)
    : CDialog(IDD, pParent), m_pages{&m_dlgStart, &m_dlgMode, &m_dlgPath, &m_dlgShortcut, &m_dlgInstall, &m_dlgEnd} {}

bool CInstallDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(Session().GetAppName());
    BuildSystemMenu();
    if (const auto icon = ui::CPicture::LoadIcon(kProgramIcon)) {
        SetIcon(*icon, true);
    }
    if (!CreatePages()) {
        // The pages' templates travel inside the program: without them it is damaged.
        ReportStartupError(platform::kernel::win32::file_corrupt);
        EndDialog(ui::IDCANCEL);
        return false;
    }
    LayOutPages();
    RefreshTexts();
    GoToPage(StartPage);
    if (Session().m_nPreviousInstall == PreviousNewer) {
        EnableButton(ui::IDOK, false);
    }
    return true;
}

void CInstallDlg::BuildSystemMenu() {
    ui::CMenu* menu = GetSystemMenu();
    if (const std::string about = AboutItemText(); !about.empty()) {
        menu->AppendMenu(ui::MF_SEPARATOR);
        menu->AppendMenu(ui::MF_STRING, IDM_ABOUTBOX, about);
    }
    menu->RemoveMenu(ui::SC_MAXIMIZE, ui::MF_BYCOMMAND);
    menu->RemoveMenu(ui::SC_SIZE, ui::MF_BYCOMMAND);
}

bool CInstallDlg::CreatePages() {
    for (CWizardPage* page : m_pages) {
        if (!page->Create(this)) {
            return false;
        }
    }
    return true;
}

void CInstallDlg::LayOutPages() {
    ui::CWnd* banner = GetDlgItem(kBanner);
    ui::CWnd* separator = GetDlgItem(kSeparator);
    if (!banner || !separator) {
        return;
    }
    // The template's page area.
    ui::CRect area = GetClientRect();
    area.left = RectIn(*this, *banner).right;
    area.bottom = RectIn(*this, *separator).top;

    // Every page goes to the area's top-left corner and the area takes in every page. It never
    // becomes smaller than the template's: the banner picture needs that height.
    ui::CRect pages = area;
    for (CWizardPage* page : m_pages) {
        page->SetWindowPos(area.left, area.top, 0, 0, kMoveOnly);
        pages.UnionRect(pages, RectIn(*this, *page));
    }
    for (CWizardPage* page : m_pages) {
        const ui::CRect own = RectIn(*this, *page);
        page->MoveWindow(pages, false);
        page->GrowBy(pages.Width() - own.Width(), pages.Height() - own.Height());
    }
    GrowWindowBy(pages.Width() - area.Width(), pages.Height() - area.Height());
}

void CInstallDlg::FitPagesToTexts() {
    std::array<int, PageCount> grown{};
    int dy = 0;
    for (int i = 0; i < PageCount; ++i) {
        grown.at(i) = GetPage(i).FitTexts();
        dy = std::max(dy, grown.at(i));
    }
    if (dy == 0) {
        return;
    }
    // The page area grows by what the most grown page needs; the others take that room as they take
    // the host's, and the grown ones keep their lowest control at the area's bottom.
    for (int i = 0; i < PageCount; ++i) {
        CWizardPage& page = GetPage(i);
        ui::CRect rect = RectIn(*this, page);
        rect.bottom += dy;
        page.MoveWindow(rect, false);
        page.GrowBy(0, dy - grown.at(i));
    }
    GrowWindowBy(0, dy);
}

void CInstallDlg::GrowWindowBy(int dx, int dy) {
    const ui::CRect window = GetWindowRect();
    SetWindowPos(0, 0, window.Width() + dx, window.Height() + dy, kSizeOnly);
    if (ui::CWnd* banner = GetDlgItem(kBanner)) {
        ui::CRect rect = RectIn(*this, *banner);
        rect.bottom += dy;
        banner->MoveWindow(rect, false);
    }
    if (ui::CWnd* separator = GetDlgItem(kSeparator)) {
        ui::CRect rect = RectIn(*this, *separator);
        rect.right += dx;
        rect.OffsetRect(0, dy);
        separator->MoveWindow(rect, false);
    }
    for (const int id : {kBackButton, ui::IDOK, ui::IDCANCEL}) {
        if (ui::CWnd* button = GetDlgItem(id)) {
            ui::CRect rect = RectIn(*this, *button);
            rect.OffsetRect(dx, dy);
            button->MoveWindow(rect, false);
        }
    }
}

bool CInstallDlg::GoToPage(int index) {
    if (index < 0 || index >= PageCount) {
        return false;
    }
    if (m_nCurrent != -1) {
        CWizardPage& leaving = GetPage(m_nCurrent);
        // Also when going back: a page never holds what it could not save.
        if (!leaving.UpdateData(true)) {
            return false;
        }
        leaving.ShowWindow(ui::SW_HIDE);
    }
    const CInstallApp& app = Session();
    // The mode is read after the save, so a change made on the mode page applies to this very move.
    int shown = index;
    if (!app.m_bAdvancedMode && index != m_nCurrent) {
        const int step = index > m_nCurrent ? 1 : -1;
        while (shown == PathPage || shown == ShortcutPage) {
            shown += step;
        }
    }
    if (shown != m_nCurrent) {
        GetPage(shown).UpdateData(false);
    }
    m_nCurrent = shown;
    GetPage(shown).ShowWindow(ui::SW_SHOW);
    UpdateButtons();

    const bool back = (m_nCurrent > StartPage && !app.m_bInstalled) || m_nCurrent > InstallPage;
    const bool next = m_nCurrent < EndPage;
    EnableButton(kBackButton, back);
    EnableButton(ui::IDOK, next);
    const int defaultButton = next ? ui::IDOK : ui::IDCANCEL;
    GotoDlgCtrl(GetDlgItem(defaultButton));
    SetDefID(defaultButton);
    return true;
}

void CInstallDlg::UpdateButtons() {
    const bool installed = Session().m_bInstalled;
    SetDlgItemText(ui::IDOK,
                   m_nCurrent == InstallPage && !installed ? LoadText(text::Install) : LoadText(text::Next) + "  >");
    SetDlgItemText(kBackButton, "<  " + LoadText(text::Back));
    SetDlgItemText(ui::IDCANCEL, LoadText(installed ? text::Exit : text::Cancel));
}

void CInstallDlg::RefreshTexts() {
    SetWindowText(Session().GetAppName());
    GetSystemMenu()->ModifyMenu(IDM_ABOUTBOX, ui::MF_BYCOMMAND | ui::MF_STRING, IDM_ABOUTBOX, AboutItemText());
    UpdateButtons();
    for (CWizardPage* page : m_pages) {
        page->RefreshTexts();
    }
    FitPagesToTexts();
}

const ui::CMessageMap* CInstallDlg::GetMessageMap() const {
    static const ui::CMessageMap map(CDialog::GetMessageMap(), {
                                                                   ui::ON_BN_CLICKED(kBackButton, &CInstallDlg::OnBack),
                                                               });
    return &map;
}

void CInstallDlg::EnableButton(int nID, bool bEnable) {
    if (ui::CWnd* button = GetDlgItem(nID)) {
        button->EnableWindow(bEnable);
    }
}

void CInstallDlg::OnBack() {
    if (const ui::CWnd* back = GetDlgItem(kBackButton); back && back->IsWindowEnabled()) {
        GoToPage(m_nCurrent - 1);
    }
}

void CInstallDlg::OnOK() {
    // Enter reaches here too; a disabled Next does nothing.
    if (const ui::CWnd* next = GetDlgItem(ui::IDOK); !next || !next->IsWindowEnabled()) {
        return;
    }
    CInstallApp& app = Session();
    if (m_nCurrent != InstallPage || app.m_bInstalled) {
        GoToPage(m_nCurrent + 1);
        return;
    }
    // No navigation and no exit while the installation runs.
    EnableButton(kBackButton, false);
    EnableButton(ui::IDOK, false);
    EnableButton(ui::IDCANCEL, false);
    std::exception_ptr failure;
    try {
        app.m_bInstalled = RunInstallation();
    } catch (...) {
        // Reported by the framework once the buttons work again.
        failure = std::current_exception();
    }
    GoToPage(m_nCurrent);
    EnableButton(ui::IDCANCEL, true);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

bool CInstallDlg::RunInstallation() {
    return m_dlgInstall.RunInstallation();
}

void CInstallDlg::OnCancel() {
    const CInstallApp& app = Session();
    // Nothing would be done anyway when a newer version is installed, or when the same version is
    // and the user has not gone past the start page.
    const bool nothingToLose =
        app.m_nPreviousInstall == PreviousNewer || (app.m_nPreviousInstall == PreviousSame && m_nCurrent == StartPage);
    if (!app.m_bInstalled && !nothingToLose &&
        ShowAppMessage(LoadText(text::ConfirmExit), ui::MB_YESNO | ui::MB_ICONQUESTION | ui::MB_DEFBUTTON2) !=
            ui::IDYES) {
        return;
    }
    EndDialog(app.m_bInstalled ? ui::IDOK : ui::IDCANCEL);
}

void CInstallDlg::OnSysCommand(unsigned nID) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(nID);
}
