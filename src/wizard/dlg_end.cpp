#include "wizard/dlg_end.hpp"

#include "platform/ui/data_exchange.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"
#include "wizard/session.hpp"
#include "wizard/wizard_texts.hpp"

namespace ui = platform::ui;
namespace text = wizard_text;

namespace {

constexpr int kResult = 1016;
constexpr int kStatus = 1003;

}  // namespace

void CDlgEnd::DoDataExchange(ui::CDataExchange* pDX) {
    if (!pDX->m_bSaveAndValidate && Session().m_bInstalled) {
        SetDlgItemText(kResult, LoadText(text::InstallationComplete));
    }
}

void CDlgEnd::RefreshTexts() {
    SetDlgItemText(kResult, {});
    KeepRoomFor(kResult, {LoadText(text::InstallationComplete)});
    SetDlgItemText(kStatus, FormatText(LoadText(text::ClickToExit), {LoadText(text::Exit)}));
}

void CDlgEnd::GrowBy(int dw, int dh) {
    GrowControl(kResult, dw, dh);
    GrowControl(kStatus, dw, 0);
    MoveControl(kStatus, 0, dh);
}
