#include "startup/language_catalogue.hpp"

#include "platform/locale/thread_locale.hpp"

#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

using test_support::scoped_env;

namespace {

// Tests that change the current language or the process locale give both back.
class LanguageCatalogue : public testing::Test {
protected:
    void TearDown() override {
        MakeLanguageCurrent(m_language);
        std::setlocale(LC_ALL, m_cLocale.c_str());
        std::locale::global(m_locale);
    }

private:
    std::uint32_t m_language = GetLanguageState().current;
    std::string m_cLocale = std::setlocale(LC_ALL, nullptr);
    std::locale m_locale;
};

// The user's default language for one scope.
class UserLanguage {
public:
    explicit UserLanguage(const char* lcAll) : m_all("LC_ALL", lcAll) {}

private:
    scoped_env m_all;
    scoped_env m_messages{"LC_MESSAGES", nullptr};
    scoped_env m_lang{"LANG", nullptr};
};

}  // namespace

TEST_F(LanguageCatalogue, TheStateSetsTheThreadLocaleOfFrenchOnCreation) {
    const LanguageState& state = GetLanguageState();
    EXPECT_EQ(state.defaultMask, 1u);
    // Later language changes leave the thread locale alone, so 8-bit texts stay in code page 1252.
    EXPECT_EQ(platform::locale::thread_locale(), 0x040Cu);
    EXPECT_EQ(platform::locale::thread_ansi_code_page(), 1252u);
}

TEST_F(LanguageCatalogue, ChoosesFromTheUsersLanguage) {
    const struct {
        const char* user;
        std::uint32_t mask;
        std::uint32_t expected;
    } cases[] = {
        {"da_DK.UTF-8", ProductLanguageMask, LanguageEnglish},  // Danish is no product language
        {"de_CH.UTF-8", ProductLanguageMask, LanguageGerman},   // Swiss German: primary language German
        {"zh_TW.UTF-8", ProductLanguageMask, LanguageEnglish},  // traditional Chinese
        {"zh_HK.UTF-8", ProductLanguageMask, LanguageEnglish},
        {"zh_CN.UTF-8", ProductLanguageMask, LanguageChineseSimplified},
        {"zh_SG.UTF-8", ProductLanguageMask, LanguageChineseSimplified},
        {"fr_CA.UTF-8", ProductLanguageMask, LanguageFrench},
        {"pt_BR.UTF-8", ProductLanguageMask, LanguagePortuguese},
        {"he_IL.UTF-8", ProductLanguageMask, LanguageHebrew},
        {"ja_JP.UTF-8", ProductLanguageMask, LanguageEnglish},
        {"ja_JP.UTF-8", 0xFFFFF, LanguageJapanese},
        {"en_GB.UTF-8", ProductLanguageMask, LanguageEnglish},
        {"da_DK.UTF-8", 1u << LanguageGerman, LanguageFrench},  // neither the language nor English
        {"it_IT.UTF-8", 1u << LanguageItalian, LanguageItalian},
        {"de_DE.UTF-8", 0, LanguageFrench},  // no mask: French only by default
    };
    for (const auto& c : cases) {
        UserLanguage user(c.user);
        EXPECT_EQ(ChooseLanguage(c.mask), c.expected) << c.user << " mask " << std::hex << c.mask;
    }
}

TEST_F(LanguageCatalogue, MakingALanguageCurrentSetsItsLocaleAndCodePage) {
    UserLanguage user("en_US.UTF-8");
    const struct {
        std::uint32_t index;
        platform::locale::lcid_t lcid;
        std::uint32_t codePage;
    } cases[] = {
        {LanguageGerman, 0x0407, 1252},  {LanguageGreek, 0x0408, 1253},      {LanguageJapanese, 0x0411, 932},
        {LanguageHebrew, 0x040D, 1255},  {LanguageVietnamese, 0x042A, 1258}, {LanguageChineseSimplified, 0x0804, 936},
        {LanguageCzech, 0x0405, 1250},   {LanguageBulgarian, 0x0402, 1251},  {LanguageTurkish, 0x041F, 1254},
        {LanguageEnglish, 0x0409, 1252},
    };
    for (const auto& c : cases) {
        GetLanguageState().resourceModule = &platform::resources::resource_module::self();
        MakeLanguageCurrent(c.index);
        const LanguageState& state = GetLanguageState();
        EXPECT_EQ(state.current, c.index);
        EXPECT_EQ(state.lcid, c.lcid) << c.index;
        EXPECT_EQ(state.codePage, c.codePage) << c.index;
        EXPECT_EQ(state.resourceModule, nullptr);
    }
}

TEST_F(LanguageCatalogue, SwitchesTheProcessLocaleOnlyWhenTheLanguageChanges) {
    scoped_env all("LC_ALL", nullptr);
    scoped_env messages("LC_MESSAGES", nullptr);
    scoped_env lang("LANG", "C.UTF-8");
    MakeLanguageCurrent(LanguageEnglish);
    std::setlocale(LC_NUMERIC, "C.UTF-8");

    MakeLanguageCurrent(LanguageEnglish);  // no change: the locale is left alone
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C.UTF-8");

    MakeLanguageCurrent(LanguageGerman);
    // Numbers and money keep the classic formatting; the character classification is German's, or
    // the environment's where no German locale is installed, never the plain "C" of the reset.
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_STREQ(std::setlocale(LC_MONETARY, nullptr), "C");
    const std::string ctype = std::setlocale(LC_CTYPE, nullptr);
    EXPECT_TRUE(ctype == "de_DE.UTF-8" || ctype == "C.UTF-8") << ctype;
    EXPECT_EQ(std::setlocale(LC_TIME, nullptr), ctype);
    EXPECT_EQ(std::setlocale(LC_COLLATE, nullptr), ctype);
}

TEST_F(LanguageCatalogue, LanguageTable) {
    EXPECT_EQ(LanguageToLangId(LanguageChineseSimplified), 0x0804);
    EXPECT_EQ(LanguageToLangId(LanguageHungarian), 0x040E);
    EXPECT_EQ(LanguageToLangId(LanguageCount), 0x040C);  // outside the table: French
    EXPECT_EQ(LanguageToLangId(0xFFFFFFFF), 0x040C);
    EXPECT_EQ(TextBlockOffset(LanguageItalian), 5000u);
    EXPECT_EQ(TextBlockOffset(LanguageDutch), 6000u);

    EXPECT_TRUE(IsProductLanguage(LanguageDutch));
    EXPECT_FALSE(IsProductLanguage(LanguageDanish));
    EXPECT_FALSE(IsProductLanguage(LanguageJapanese));
    EXPECT_TRUE(IsProductLanguage(LanguageHungarian));
    EXPECT_FALSE(IsProductLanguage(40));
    EXPECT_TRUE(IsInstallerTranslated(LanguageTurkish));
    EXPECT_FALSE(IsInstallerTranslated(LanguageDutch));
    EXPECT_FALSE(IsInstallerTranslated(LanguageChineseSimplified));
    EXPECT_FALSE(IsInstallerTranslated(99));
}

TEST_F(LanguageCatalogue, LanguageNamesAndDirections) {
    UserLanguage user("en_US.UTF-8");
    const struct {
        std::uint32_t index;
        const char* name;
    } cases[] = {
        {LanguageFrench, "Français"}, {LanguageEnglish, "English"},     {LanguageGerman, "Deutsch"},
        {LanguageSpanish, "Español"}, {LanguageBulgarian, "Български"}, {LanguageCzech, "Čeština"},
        {LanguageJapanese, "日本語"}, {LanguageHebrew, "עברית"},        {LanguageVietnamese, "Tiếng Việt"},
        {LanguageGreek, "Ελληνικά"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetLanguageName(c.index), c.name) << c.index;
    }
    EXPECT_TRUE(IsRightToLeft(LanguageHebrew));
    EXPECT_FALSE(IsRightToLeft(LanguageFrench));
    EXPECT_FALSE(IsRightToLeft(LanguageJapanese));
}
