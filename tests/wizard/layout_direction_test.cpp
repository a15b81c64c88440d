// The direction the wizard reads in: the language's, never the framework's own translations.
#include "platform/ui/application.hpp"
#include "startup/language_catalogue.hpp"
#include "wizard_fixture.hpp"

#include <QWidget>

namespace ui = platform::ui;

namespace {

constexpr int kBack = 3;

class LayoutDirection : public wizard_test::WizardTest {};

}  // namespace

// The framework's own texts follow the desktop's locale, but the direction the wizard reads in follows
// the wizard's language alone: on an Arabic desktop the wizard is English and reads left to right, and
// so it does when Hebrew is chosen, as the installer is not translated into it and shows English.
TEST_F(LayoutDirection, TheLayoutFollowsTheWizardsLanguageNotTheFrameworksTranslation) {
    ASSERT_TRUE(ui::use_framework_translations("ar_EG")) << "the framework's Arabic texts are missing";
    struct RestoreTranslations {
        ~RestoreTranslations() { ui::use_framework_translations("en_US"); }
    } restore;
    enum class Choice { english, hebrewChosen, hebrewTexts };
    for (const Choice choice : {Choice::english, Choice::hebrewChosen, Choice::hebrewTexts}) {
        SCOPED_TRACE(static_cast<int>(choice));
        if (choice == Choice::hebrewChosen) {
            app->SetLanguage(LanguageHebrew);
            EXPECT_EQ(GetLanguageState().current, LanguageEnglish);
        } else {
            MakeLanguageCurrent(choice == Choice::english ? LanguageEnglish : LanguageHebrew);
        }
        const bool rightToLeft = choice == Choice::hebrewTexts;
        wizard_test::CTestHost host;
        RunHost(host, [&] {
            EXPECT_EQ(host.IsLayoutRTL(), rightToLeft);
            const QWidget* back = host.GetDlgItem(kBack)->GetSafeHwnd();
            EXPECT_EQ(back->layoutDirection(), rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
        });
    }
    MakeLanguageCurrent(LanguageEnglish);
}
