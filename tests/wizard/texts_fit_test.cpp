// Every static text of every wizard page shows whole, in every language the installer is translated
// into and in every state that changes what a page says. The needed size is measured here with the
// label's own font and word wrap, independently of how the pages make room.
#include "engine/engine_texts.hpp"
#include "engine/step_report.hpp"
#include "platform/ui/framework_constants.hpp"
#include "platform/ui/static_control.hpp"
#include "platform/ui/ui_test.hpp"
#include "startup/format_text.hpp"
#include "startup/language_catalogue.hpp"
#include "startup/language_texts.hpp"
#include "wizard_fixture.hpp"

#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

#include <climits>
#include <map>
#include <string>

namespace ui = platform::ui;

namespace {

constexpr std::uint32_t kTranslated[] = {LanguageFrench,     LanguageEnglish, LanguageGerman,   LanguageSpanish,
                                         LanguagePortuguese, LanguageTurkish, LanguageRomanian, LanguageItalian};

// The rectangle a label paints its text in: inside its frame and margin, and, for a framed label
// without an indent of its own, half an 'x' in from the sides it is aligned to.
QRect TextRoom(const QLabel& label) {
    QRect room = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0) {
        indent = label.fontMetrics().horizontalAdvance(u'x') / 2 - label.margin();
    }
    if (indent > 0) {
        const Qt::Alignment align = label.alignment();
        room.adjust(align & Qt::AlignLeft ? indent : 0, align & Qt::AlignTop ? indent : 0,
                    align & Qt::AlignRight ? -indent : 0, align & Qt::AlignBottom ? -indent : 0);
    }
    return room;
}

// Each text label of the page: its text's needed size within the room it paints in, the label within
// the page, and no other control covering it (a group box around it aside).
void ExpectTextsFit(const ui::CWnd& page, const std::string& where) {
    const QWidget* widget = page.GetSafeHwnd();
    ASSERT_TRUE(widget);
    for (const QLabel* label : widget->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisibleTo(widget)) {
            continue;
        }
        SCOPED_TRACE(::testing::Message() << where << ": \"" << label->text().toStdString() << "\"");
        const QRect room = TextRoom(*label);
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed =
            QFontMetrics(label->font()).boundingRect(QRect(0, 0, room.width(), INT_MAX / 2), flags, label->text());
        EXPECT_LE(needed.width(), room.width());
        EXPECT_LE(needed.height(), room.height());
        EXPECT_TRUE(widget->rect().contains(label->geometry())) << "outside the page";
        for (const QWidget* other : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != label && other->isVisibleTo(widget) && !other->geometry().contains(label->geometry())) {
                EXPECT_FALSE(other->geometry().intersects(label->geometry()))
                    << "covered by a " << other->metaObject()->className();
            }
        }
    }
}

// What the installation run puts on the install page's status line, a failure with the longest error
// code a run reports included.
std::vector<std::string> RunStatusTexts() {
    return {
        LoadText(engine_text::kPreparing),
        LoadText(engine_text::kShortcutsCreation),
        LoadText(engine_text::kRegistryWriting),
        LoadText(engine_text::kInstallationDataWriting),
        LoadText(engine_text::kDirectXUpdate),
        FormatText(LoadText(engine_text::kClickToContinue), {LoadText(engine_text::kNext)}),
        InstallationFailedText("1:80070005"),
        InstallationFailedText("000000ce (CreateDirectory)"),
    };
}

class TextsFit : public wizard_test::WizardTest {};

// A page with a text in a group box, a button beside the text, an edit box under it in the group and
// a status line under the group.
class FitPage : public CWizardPage {
public:
    static constexpr int Group = 10, Text = 11, Beside = 12, Under = 13, Status = 14;
    FitPage()
        : CWizardPage(ui_test::child_template({
              ui_test::control(Group, "BUTTON", platform::resources::styles::BS_GROUPBOX, 7, 7, 150, 40, "Group"),
              ui_test::control(Text, "STATIC", ui::SS_LEFT, 16, 20, 60, 8, "A text too long for one line of it"),
              ui_test::control(Beside, "BUTTON", 0, 80, 18, 60, 14, "Beside"),
              ui_test::control(Under, "EDIT", ui::WS_BORDER, 16, 32, 100, 12),
              ui_test::control(Status, "STATIC", ui::SS_LEFT, 7, 55, 150, 8, "Status"),
          })) {}
    void GrowBy(int, int) override {}
    using CWizardPage::KeepRoomFor;

    ui::CRect Rect(int id) const { return wizard_test::rect_in(*this, *GetDlgItem(id)); }
    int Lacking(int id, const std::string& text) const {
        return GetDlgItem<ui::CStatic>(id)->GetNeededSize(text).cy - Rect(id).Height();
    }
};

}  // namespace

TEST_F(TextsFit, EveryStaticTextOfEveryPageFitsInEveryTranslatedLanguage) {
    app->m_strPreviousVersion = "Quillon 7.01";
    app->m_bAdvancedMode = true;
    for (const std::uint32_t language : kTranslated) {
        app->SetLanguage(language);
        for (const PreviousInstallStatus previous : {PreviousNone, PreviousOlder, PreviousSame, PreviousNewer}) {
            app->m_nPreviousInstall = previous;
            app->m_bInstalled = false;
            const std::string state = "language " + std::to_string(language) + ", previous " + std::to_string(previous);
            wizard_test::CTestHost host;
            host.m_results = {true};
            RunHost(host, [&] {
                for (int page = 0; page < CInstallDlg::PageCount; ++page) {
                    ExpectTextsFit(host.GetPage(page), state + ", page " + std::to_string(page));
                }
                if (previous != PreviousNone) {
                    return;  // the other pages say the same whatever was installed before
                }
                CDlgInstall& install = host.InstallPage();
                for (const std::string& status : RunStatusTexts()) {
                    install.SetStatusText(status);
                    ExpectTextsFit(install, state + ", install page");
                }
                std::string path = "\"/opt/Vintrel/Quillon 7";
                for (int i = 0; i < 20; ++i) {
                    path += "/A folder deep down";
                }
                install.SetStatusPath(FormatText(LoadText(engine_text::kCopyingFile), {path + "/Data.pak\""}));
                ExpectTextsFit(install, state + ", install page, copying");
                // After the installation the end page gives the result.
                while (host.GetCurrentPage() < CInstallDlg::InstallPage) {
                    wizard_test::click(host.GetDlgItem(ui::IDOK));
                }
                wizard_test::click(host.GetDlgItem(ui::IDOK));  // Install
                wizard_test::click(host.GetDlgItem(ui::IDOK));
                ASSERT_EQ(host.GetCurrentPage(), CInstallDlg::EndPage);
                ExpectTextsFit(host.GetPage(CInstallDlg::EndPage), state + ", installed, end page");
            });
        }
    }
}

TEST_F(TextsFit, ATextGrowsDownwardsAndWhatIsUnderItMakesRoom) {
    ui_test::parent_window parent;
    FitPage page;
    ASSERT_TRUE(page.Create(&parent));
    const int lacking = page.Lacking(FitPage::Text, page.GetDlgItemText(FitPage::Text));
    ASSERT_GT(lacking, 0);
    std::map<int, ui::CRect> before;
    for (const int id : {FitPage::Group, FitPage::Text, FitPage::Beside, FitPage::Under, FitPage::Status}) {
        before[id] = page.Rect(id);
    }
    EXPECT_EQ(page.FitTexts(), lacking) << "the lowest control moved down by that much";

    const auto grown = [](ui::CRect rect, int dy) {
        rect.bottom += dy;
        return rect;
    };
    const auto moved = [](ui::CRect rect, int dy) {
        rect.OffsetRect(0, dy);
        return rect;
    };
    EXPECT_EQ(page.Rect(FitPage::Text), grown(before[FitPage::Text], lacking));
    EXPECT_EQ(page.Rect(FitPage::Group), grown(before[FitPage::Group], lacking));
    EXPECT_EQ(page.Rect(FitPage::Beside), before[FitPage::Beside]);
    EXPECT_EQ(page.Rect(FitPage::Under), moved(before[FitPage::Under], lacking));
    EXPECT_EQ(page.Rect(FitPage::Status), moved(before[FitPage::Status], lacking));

    // Texts that fit change nothing, a shorter text included: it keeps its room.
    page.SetDlgItemText(FitPage::Text, "Short");
    EXPECT_EQ(page.FitTexts(), 0);
    EXPECT_EQ(page.Rect(FitPage::Text), grown(before[FitPage::Text], lacking));

    // Room is kept for a text the control shows later.
    const std::string later = "A status line that will later say more than one line of it holds";
    const int statusLacking = page.Lacking(FitPage::Status, later);
    ASSERT_GT(statusLacking, 0);
    page.KeepRoomFor(FitPage::Status, {"", later});
    EXPECT_EQ(page.FitTexts(), statusLacking);
    EXPECT_EQ(page.Rect(FitPage::Status).Height(), before[FitPage::Status].Height() + statusLacking);
}

TEST_F(TextsFit, AfterALanguageChangeTheHostGrowsForTheLongerTextsAndNeverShrinks) {
    app->m_nPreviousInstall = PreviousSame;
    wizard_test::CTestHost host;
    RunHost(host, [&] {
        auto* list = host.GetPage(CInstallDlg::StartPage).GetDlgItem<ui::CComboBoxEx>(1023);
        ASSERT_TRUE(list);
        const auto choose = [&](std::uint32_t language) {
            for (int i = 0; i < list->GetCount(); ++i) {
                if (list->GetItemData(i) == static_cast<std::intptr_t>(language)) {
                    wizard_test::choose_item(*list, i);
                }
            }
        };
        const ui::CRect english = host.GetClientRect();
        const ui::CRect buttonInEnglish = wizard_test::rect_in(host, *host.GetDlgItem(ui::IDOK));

        choose(LanguageGerman);
        const ui::CRect german = host.GetClientRect();
        EXPECT_EQ(german.Width(), english.Width());
        EXPECT_GT(german.Height(), english.Height());
        const int dy = german.Height() - english.Height();
        ui::CRect button = buttonInEnglish;
        button.OffsetRect(0, dy);
        EXPECT_EQ(wizard_test::rect_in(host, *host.GetDlgItem(ui::IDOK)), button);
        for (int page = 0; page < CInstallDlg::PageCount; ++page) {
            EXPECT_EQ(wizard_test::rect_in(host, host.GetPage(page)).bottom,
                      wizard_test::rect_in(host, *host.GetDlgItem(1002)).top)
                << "page " << page << " fills the area down to the separator";
            ExpectTextsFit(host.GetPage(page), "German, page " + std::to_string(page));
        }

        choose(LanguageEnglish);
        EXPECT_EQ(host.GetClientRect(), german);
        ExpectTextsFit(host.GetPage(CInstallDlg::StartPage), "English again");
    });
}
