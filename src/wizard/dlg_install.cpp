#include "wizard/dlg_install.hpp"

#include "engine/engine_texts.hpp"
#include "engine/installation_sequence.hpp"
#include "engine/step_report.hpp"
#include "identity/product_identity.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/ui/data_exchange.hpp"
#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/progress_control.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"
#include "wizard/session.hpp"
#include "wizard/wizard_texts.hpp"

#include <algorithm>
#include <limits>

namespace ui = platform::ui;
namespace text = wizard_text;

namespace {

constexpr int kLog = 1015;
constexpr int kProgress = 1014;
constexpr int kStatus = 1003;

constexpr int kProgressRange = 100;
// Text metrics leave a little room at the edges of a line; the dashes stay clear of them.
constexpr int kLineSlack = 2;

const char* const kLineEnd = "\r\n";

// The widest error code a failed run shows: a system error with the operation that failed.
const char* const kWidestErrorCode = "00000000 (CreateDirectory)";

std::string Dashes(int count) {
    return std::string(static_cast<std::size_t>(std::max(count, 0)), '-');
}

}  // namespace

bool CDlgInstall::OnInitDialog() {
    CWizardPage::OnInitDialog();
    if (auto* progress = GetDlgItem<ui::CProgressCtrl>(kProgress)) {
        progress->SetRange32(0, kProgressRange);
        progress->ShowWindow(ui::SW_HIDE);
    }
    return true;
}

void CDlgInstall::DoDataExchange(ui::CDataExchange* pDX) {
    if (!pDX->m_bSaveAndValidate && !Session().m_bInstalled) {
        BuildSummary();
    }
}

void CDlgInstall::BuildSummary() {
    auto* log = GetDlgItem<ui::CEdit>(kLog);
    if (!log) {
        return;
    }
    const CInstallApp& app = Session();
    log->SetWindowText({});
    AppendLogLine(FormatText(LoadText(text::ProductInstallation), {GetProductText(false)}) + kLineEnd, false);
    AppendLogLine(LoadText(text::InstallationOptions), true);
    const std::string installFolder = platform::shell::quote_spaces(app.m_strInstallFolder);
    AppendLogLine(FormatText(LoadText(text::InstallationFolderLine), {installFolder}) + kLineEnd, false);
    if (app.m_bStartMenuShortcut) {
        const std::string menuFolder = platform::shell::quote_spaces(app.m_strStartMenuFolder);
        AppendLogLine(FormatText(LoadText(text::MenuShortcutLine), {menuFolder}) + kLineEnd, false);
    }
    if (app.m_bDesktopShortcut) {
        AppendLogLine(LoadText(text::DesktopShortcutLine) + kLineEnd, false);
    }
    // Back to the top, so that the summary is read from its first line.
    for (int line = log->GetFirstVisibleLine(); line > 0;) {
        log->LineScroll(-1);
        const int now = log->GetFirstVisibleLine();
        if (now >= line) {
            break;
        }
        line = now;
    }
}

std::string CDlgInstall::DashLine(const std::string& heading) const {
    const auto* log = GetDlgItem<ui::CEdit>(kLog);
    const ui::CEdit::Margins margins = log->GetMargins();
    int width = log->GetClientRect().Width() - margins.nLeft - margins.nRight - kLineSlack;
    std::string text = heading;
    if (!text.empty()) {
        text = " " + text + " ";
        width -= log->GetTextExtent(text).cx;
    }
    const int dash = log->GetTextExtent("-").cx;
    const int count = dash > 0 ? width / dash : 0;
    if (text.empty()) {
        return Dashes(count) + kLineEnd;
    }
    return Dashes(count / 2) + text + Dashes((count + 1) / 2) + kLineEnd;
}

void CDlgInstall::AppendLogLine(const std::string& text, bool separator) {
    auto* log = GetDlgItem<ui::CEdit>(kLog);
    if (!log) {
        return;
    }
    const std::string line = text.empty() || separator ? DashLine(text) : text;
    log->SetSel(std::numeric_limits<int>::max(), -1);
    log->ReplaceSel(line, false);
    log->LineScroll(1);
}

void CDlgInstall::RefreshTexts() {
    SetDlgItemText(kStatus, FormatText(LoadText(text::ClickToInstall), {LoadText(text::Install)}));
    // The status line has room for what the run will say on it (a file being copied is shortened
    // to the line instead).
    KeepRoomFor(kStatus, {
                             LoadText(engine_text::kPreparing),
                             LoadText(engine_text::kShortcutsCreation),
                             LoadText(engine_text::kDirectXUpdate),
                             LoadText(engine_text::kRegistryWriting),
                             LoadText(engine_text::kInstallationDataWriting),
                             FormatText(LoadText(engine_text::kClickToContinue), {LoadText(engine_text::kNext)}),
                             InstallationFailedText(kWidestErrorCode),
                         });
}

void CDlgInstall::GrowBy(int dw, int dh) {
    GrowControl(kLog, dw, dh);
    GrowControl(kProgress, dw, 0);
    MoveControl(kProgress, 0, dh);
    GrowControl(kStatus, dw, 0);
    MoveControl(kStatus, 0, dh);
}

bool CDlgInstall::RunInstallation() {
    return RunInstallationSequence(Session(), *this);
}

void CDlgInstall::SetStatusText(const std::string& text) {
    SetDlgItemText(kStatus, text);
}

void CDlgInstall::SetStatusPath(const std::string& text) {
    SetDlgItemPath(kStatus, text);
}

void CDlgInstall::SetProgress(int percent) {
    if (auto* progress = GetDlgItem<ui::CProgressCtrl>(kProgress)) {
        progress->SetPos(percent);
    }
}

void CDlgInstall::ShowProgress() {
    if (ui::CWnd* progress = GetDlgItem(kProgress)) {
        progress->ShowWindow(ui::SW_SHOW);
    }
}
