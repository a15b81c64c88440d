#include "startup/language_texts.hpp"

#include "platform/resources/string_table.hpp"
#include "startup/language_catalogue.hpp"

#include "program_copy.hpp"

#include <gtest/gtest.h>

namespace res = platform::resources;

namespace {

class LanguageTexts : public testing::Test {
protected:
    void TearDown() override { MakeLanguageCurrent(m_saved); }

    // Makes a language current with the program's own string tables.
    void UseLanguage(std::uint32_t index) { MakeLanguageCurrent(index); }

private:
    std::uint32_t m_saved = GetLanguageState().current;
};

// A program whose French (block 1) and German (block 3) tables hold a few chosen texts, beside
// the real English table: it shows the fall-back rules whatever the shipped translations say.
class LanguageTextsWithFixture : public LanguageTexts {
protected:
    static void SetUpTestSuite() {
        s_program = new ProgramCopy;
        s_program->Replace(res::rt_string, 1,
                           res::encode_string_table({{1100, "Installation de '%1'."},
                                                     {1126, "Droits d'administrateur requis."},
                                                     {1131, "Mise à jour de DirectX..."}}));
        s_program->Replace(
            res::rt_string, 3,
            res::encode_string_table({{3100, "#"}, {3126, "Administratorrechte erforderlich."}, {3131, "#"}}));
        s_module = new res::resource_module(*res::resource_module::open(s_program->File()));
    }
    static void TearDownTestSuite() {
        delete s_module;
        delete s_program;
    }

    void UseLanguage(std::uint32_t index) {
        MakeLanguageCurrent(index);
        GetLanguageState().resourceModule = s_module;
    }

    static ProgramCopy* s_program;
    static res::resource_module* s_module;
};

ProgramCopy* LanguageTextsWithFixture::s_program = nullptr;
res::resource_module* LanguageTextsWithFixture::s_module = nullptr;

}  // namespace

TEST_F(LanguageTextsWithFixture, ResolvesToTheLanguageThenEnglishThenFrench) {
    const struct {
        std::uint32_t language;
        std::uint32_t text;
        std::uint32_t resolved;
        const char* loaded;
    } cases[] = {
        {LanguageGerman, 1126, 3126, "Administratorrechte erforderlich."},
        {LanguageGerman, 1100, 2100, "'%1' Installation."},         // untranslated: English
        {LanguageGerman, 1131, 1131, "Mise à jour de DirectX..."},  // "#" in German and English: French
        {LanguageEnglish, 1126, 2126, "You should have Administrator Rights in order to proceed to Installation."},
        {LanguageEnglish, 1131, 1131, "Mise à jour de DirectX..."},
        {LanguageFrench, 1126, 1126, "Droits d'administrateur requis."},
        {LanguageFrench, 1131, 1131, "Mise à jour de DirectX..."},
        // Languages the installer is not fully translated into read as English from the start.
        {LanguageDutch, 1126, 2126, "You should have Administrator Rights in order to proceed to Installation."},
        {LanguageHebrew, 1131, 1131, "Mise à jour de DirectX..."},
        {LanguageCount + 5, 1000, 2000, "Installer"},
    };
    for (const auto& c : cases) {
        UseLanguage(c.language);
        EXPECT_EQ(ResolveTextId(c.text), c.resolved) << c.language << ": " << c.text;
        UseLanguage(c.language);
        EXPECT_EQ(LoadText(c.text), c.loaded) << c.language << ": " << c.text;
    }
}

TEST_F(LanguageTextsWithFixture, AMissingTextLoadsAsEmpty) {
    UseLanguage(LanguageGerman);
    EXPECT_EQ(ResolveTextId(1019), 3019u);  // absent, which is not the "#" of a missing translation
    EXPECT_EQ(LoadText(1019), "");
    UseLanguage(LanguageFrench);
    EXPECT_EQ(LoadText(1999), "");
}

TEST_F(LanguageTexts, TheProgramsOwnTablesAreFoundOnFirstUse) {
    UseLanguage(LanguageDutch);
    EXPECT_EQ(GetLanguageState().resourceModule, nullptr);
    EXPECT_EQ(ResolveTextId(1126), 2126u);
    EXPECT_EQ(LoadText(1126), "You should have Administrator Rights in order to proceed to Installation.");
    EXPECT_EQ(GetLanguageState().resourceModule, &res::resource_module::self());
    EXPECT_EQ(LoadText(1115), "Copying File  %1...");
}

TEST_F(LanguageTexts, TheDirectXUpdateTextIsFrenchInEveryLanguage) {
    for (const std::uint32_t language :
         {LanguageFrench, LanguageEnglish, LanguageGerman, LanguageItalian, LanguageDutch, LanguageJapanese}) {
        UseLanguage(language);
        EXPECT_EQ(ResolveTextId(1131), 1131u) << language;
        EXPECT_EQ(LoadText(1131), "Mise à jour de DirectX...") << language;
    }
}

TEST_F(LanguageTexts, FullyTranslatedLanguagesUseTheirOwnTexts) {
    const struct {
        std::uint32_t language;
        std::uint32_t resolved;
    } cases[] = {
        {LanguageFrench, 1126},     {LanguageEnglish, 2126}, {LanguageGerman, 3126},  {LanguageSpanish, 4126},
        {LanguagePortuguese, 5126}, {LanguageItalian, 6126}, {LanguageTurkish, 9126}, {LanguageRomanian, 12126},
    };
    for (const auto& c : cases) {
        UseLanguage(c.language);
        EXPECT_EQ(ResolveTextId(1126), c.resolved) << c.language;
        EXPECT_FALSE(LoadText(1126).empty()) << c.language;
    }
}
