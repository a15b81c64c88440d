#include "wizard/about_dlg.hpp"

#include "platform/ui/framework_constants.hpp"
#include "startup/format_text.hpp"
#include "startup/language_texts.hpp"
#include "startup/version_info.hpp"
#include "wizard/wizard_texts.hpp"

namespace ui = platform::ui;
namespace text = wizard_text;

namespace {

constexpr int kProductLine = 1019;
constexpr int kLegalLine = 1020;

}  // namespace

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The template's caption is the format when the catalogue has none.
    std::string format = LoadText(text::About);
    if (format.empty()) {
        format = GetWindowText();
    }
    SetWindowText(FormatText(format, {LoadText(text::Installer)}));

    const VersionInfo version = VersionInfo::FromOwnResource();
    if (const std::string product = version.GetDisplayText(); !product.empty()) {
        SetDlgItemText(kProductLine, product);
    }
    if (const std::string legal = version.GetLegalCopyright(); !legal.empty()) {
        SetDlgItemText(kLegalLine, legal);
    }
    SetDlgItemText(ui::IDOK, LoadText(text::Ok));
    return true;
}
