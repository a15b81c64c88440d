#include "wizard/dlg_mode.hpp"

#include "platform/ui/data_exchange.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"
#include "wizard/session.hpp"
#include "wizard/wizard_texts.hpp"

namespace ui = platform::ui;
namespace text = wizard_text;

namespace {

constexpr int kMethodGroup = 1021;
constexpr int kQuick = 1018;  // first of the radio group
constexpr int kAdvanced = 1019;
constexpr int kStatus = 1003;

constexpr int kQuickMode = 0;
constexpr int kAdvancedMode = 1;

}  // namespace

void CDlgMode::DoDataExchange(ui::CDataExchange* pDX) {
    CInstallApp& app = Session();
    if (!pDX->m_bSaveAndValidate) {
        m_nMode = app.m_bAdvancedMode ? kAdvancedMode : kQuickMode;
    }
    ui::DDX_Radio(pDX, kQuick, m_nMode);
    if (pDX->m_bSaveAndValidate) {
        app.m_bAdvancedMode = m_nMode == kAdvancedMode;
    }
}

void CDlgMode::RefreshTexts() {
    SetDlgItemText(kMethodGroup, LoadText(text::InstallationMethod));
    SetDlgItemText(kQuick, LoadText(text::QuickInstallation));
    SetDlgItemText(kAdvanced, LoadText(text::AdvancedInstallation));
    SetDlgItemText(kStatus, FormatText(LoadText(text::ClickToContinue), {LoadText(text::Next)}));
}

void CDlgMode::GrowBy(int dw, int dh) {
    GrowControl(kMethodGroup, dw, 0);
    GrowControl(kQuick, dw, 0);
    GrowControl(kAdvanced, dw, 0);
    GrowControl(kStatus, dw, 0);
    MoveControl(kStatus, 0, dh);
}
