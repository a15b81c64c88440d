#include "wizard/dlg_start.hpp"

#include "identity/product_identity.hpp"
#include "platform/ui/combo_box.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/picture.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_catalogue.hpp"
#include "startup/language_texts.hpp"
#include "wizard/session.hpp"
#include "wizard/wizard_texts.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

namespace ui = platform::ui;
namespace text = wizard_text;

namespace {

constexpr int kLanguageList = 1023;
constexpr int kLanguageLabel = 1022;
constexpr int kInformation = 1016;
constexpr int kNotice = 1020;  // a notice line under the list, in page templates that have one
constexpr int kStatus = 1003;

// The product's fourteen languages in the order of the list, with their flags.
struct ListedLanguage {
    std::uint32_t index;
    std::uint32_t flagIcon;
};
constexpr std::array<ListedLanguage, 14> kListedLanguages = {{
    {LanguageFrench, 144},
    {LanguageEnglish, 145},
    {LanguageGerman, 141},
    {LanguageSpanish, 143},
    {LanguageItalian, 146},
    {LanguagePortuguese, 148},
    {LanguageDutch, 147},
    {LanguageGreek, 155},
    {LanguageTurkish, 149},
    {LanguageRomanian, 151},
    {LanguageChineseSimplified, 152},
    {LanguageHebrew, 157},
    {LanguageVietnamese, 158},
    {LanguageHungarian, 161},
}};

constexpr int kFlagWidth = 18;
constexpr int kFlagHeight = 12;
// Room for the flag and the gaps around it in the dropped-down list.
constexpr int kDroppedWidthExtra = 30;

}  // namespace

bool CDlgStart::OnInitDialog() {
    CWizardPage::OnInitDialog();
    FillLanguageList();
    return true;
}

void CDlgStart::FillLanguageList() {
    auto* list = GetDlgItem<ui::CComboBoxEx>(kLanguageList);
    if (!list) {
        return;
    }
    m_flags.Create(kFlagWidth, kFlagHeight, ui::ILC_COLOR24, 8, 1);
    list->SetImageList(&m_flags);

    const std::uint32_t current = GetLanguageState().current;
    int currentPosition = -1;
    int widest = 0;
    for (const ListedLanguage& language : kListedLanguages) {
        ui::CComboBoxEx::Item item;
        item.text = GetLanguageName(language.index);
        if (const auto flag = ui::CPicture::LoadIcon(language.flagIcon, kFlagWidth, kFlagHeight)) {
            item.iImage = item.iSelectedImage = m_flags.Add(*flag);
        }
        item.lParam = static_cast<std::intptr_t>(language.index);
        const int position = list->InsertItem(item);
        if (language.index == current) {
            currentPosition = position;
        }
        widest = std::max(widest, list->GetTextExtent(item.text).cx);
    }
    list->SetDroppedWidth(widest + kDroppedWidthExtra);
    list->SetCurSel(currentPosition);
}

const ui::CMessageMap* CDlgStart::GetMessageMap() const {
    static const ui::CMessageMap map(CWizardPage::GetMessageMap(),
                                     {
                                         ui::ON_CBN_SELCHANGE(kLanguageList, &CDlgStart::OnLanguageChange),
                                     });
    return &map;
}

void CDlgStart::OnLanguageChange() {
    const auto* list = GetDlgItem<ui::CComboBoxEx>(kLanguageList);
    const int position = list ? list->GetCurSel() : -1;
    if (position < 0) {
        return;
    }
    // The application reloads every text of the wizard, this page's included.
    Session().SetLanguage(static_cast<std::uint32_t>(list->GetItemData(position)));
}

void CDlgStart::RefreshTexts() {
    std::string previousVersion;
    const PreviousInstallStatus previous = Session().GetPreviousInstall(&previousVersion);
    const std::string product = GetProductText(false);
    const std::string next = LoadText(text::Next);
    const std::string cancel = LoadText(text::Cancel);

    std::string information;
    std::string status;
    switch (previous) {
        case PreviousNone:
            information = FormatText(LoadText(text::ProductInstallation), {product});
            status = FormatText(LoadText(text::ClickToContinue), {next});
            break;
        case PreviousSame:
            information = FormatText(LoadText(text::AlreadyInstalled), {product}) + "\r\n" +
                          LoadText(text::ConfirmReinstallation);
            status = FormatText(LoadText(text::ContinueOrExit), {next, cancel});
            break;
        case PreviousNewer:
            information = FormatText(LoadText(text::ProductInstallation), {product}) + "\r\n" +
                          FormatText(LoadText(text::NewerInstalled), {previousVersion});
            status = FormatText(LoadText(text::ClickToExit), {cancel});
            break;
        default:  // an update
            information = FormatText(LoadText(text::UpdateFromTo), {previousVersion, product});
            status = FormatText(LoadText(text::ClickToContinue), {next});
            break;
    }
    SetDlgItemText(kInformation, information);
    SetDlgItemText(kStatus, status);
    SetDlgItemText(kNotice, FormatText(LoadText(text::StartPageNotice), {product}));
    SetDlgItemText(kLanguageLabel, LoadText(text::SelectLanguage));
}

void CDlgStart::GrowBy(int dw, int dh) {
    GrowControl(kLanguageList, dw, 0);
    GrowControl(kNotice, dw, 0);
    GrowControl(kInformation, dw, dh);
    GrowControl(kStatus, dw, 0);
    MoveControl(kStatus, 0, dh);
}
