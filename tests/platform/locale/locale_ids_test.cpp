#include "platform/locale/locale_ids.hpp"
#include "platform/locale/user_locale.hpp"

#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

namespace loc = platform::locale;
using test_support::scoped_env;

TEST(LocaleIds, NamesOfLocaleIdentifiers) {
    const struct {
        loc::lcid_t id;
        const char* name;
    } cases[] = {
        {0x0409, "en-US"}, {0x040C, "fr-FR"},      {0x0807, "de-CH"},
        {0x0414, "nb-NO"}, {0x0404, "zh-TW"},       // the usual script of the region is left out
        {0x0804, "zh-CN"}, {0x081A, "sr-Latn-CS"},  // an unusual one is kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loc::locale_name(c.id).value_or("<none>"), c.name) << std::hex << c.id;
    }
    EXPECT_FALSE(loc::locale_name(0x9999));
    EXPECT_FALSE(loc::locale_name(0));
}

TEST(LocaleIds, DefaultIdsNameTheUsersLocale) {
    scoped_env all("LC_ALL", "fr_CA.UTF-8");
    EXPECT_EQ(loc::locale_name(loc::LOCALE_USER_DEFAULT).value_or("<none>"), "fr-CA");
    EXPECT_EQ(loc::locale_name(loc::LOCALE_SYSTEM_DEFAULT).value_or("<none>"), "fr-CA");
}

TEST(LocaleIds, IdentifiersOfNames) {
    const struct {
        const char* name;
        loc::lcid_t id;
    } cases[] = {
        {"de-CH", 0x0807},       {"de_CH.UTF-8", 0x0807}, {"fr_FR@euro", 0x040C},  {"zh-TW", 0x0404},
        {"zh_TW.UTF-8", 0x0404}, {"zh-Hant-TW", 0x0404},  {"ja_JP.eucJP", 0x0411}, {"sr_RS@latin", 0x241A},
        {"he_IL", 0x040D},       {"iw_IL", 0x040D},  // the old code of Hebrew
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loc::locale_id(c.name).value_or(0), c.id) << c.name;
    }
    for (const char* unknown : {"", "C", "POSIX", "eo", "xx_YY", "not a locale"}) {
        EXPECT_FALSE(loc::locale_id(unknown)) << unknown;
    }
}

TEST(LocaleIds, CLibraryNames) {
    const struct {
        const char* tag;
        const char* name;
    } cases[] = {
        {"de-CH", "de_CH.UTF-8"},
        {"zh-TW", "zh_TW.UTF-8"},
        {"zh-Hant-TW", "zh_TW.UTF-8"},
        {"sr-Latn-RS", "sr_RS.UTF-8@latin"},
        {"sr-Cyrl-RS", "sr_RS.UTF-8"},
        {"en", "en.UTF-8"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loc::posix_locale_name(c.tag), c.name) << c.tag;
    }
}

TEST(UserLocale, ComesFromTheFirstVariableThatNamesALocale) {
    const struct {
        const char* lc_all;
        const char* lc_messages;
        const char* lang;
        loc::lcid_t expected;
    } cases[] = {
        {nullptr, nullptr, nullptr, 0x0409},  // none set: English (United States)
        {nullptr, nullptr, "de_CH.UTF-8", 0x0807},
        {nullptr, "ja_JP.UTF-8", "de_CH.UTF-8", 0x0411},  // LC_MESSAGES before LANG
        {"da_DK", "ja_JP.UTF-8", "de_CH.UTF-8", 0x0406},  // LC_ALL before both
        {"C", nullptr, "da_DK.UTF-8", 0x0406},            // C counts as not set
        {"", "POSIX", "da_DK.UTF-8", 0x0406},
        {nullptr, nullptr, "C.UTF-8", 0x0409},
        {nullptr, nullptr, "xx_YY.UTF-8", 0x0409},  // no such locale
        {nullptr, nullptr, "de", 0x0407},           // a language alone: its main region
        {nullptr, nullptr, "zh", 0x0804},
        {nullptr, nullptr, "zh_TW.UTF-8", 0x0404},
        {nullptr, nullptr, "zh_SG.UTF-8", 0x1004},
    };
    for (const auto& c : cases) {
        scoped_env all("LC_ALL", c.lc_all);
        scoped_env messages("LC_MESSAGES", c.lc_messages);
        scoped_env lang("LANG", c.lang);
        EXPECT_EQ(loc::user_default_lcid(), c.expected)
            << (c.lc_all ? c.lc_all : "-") << ' ' << (c.lc_messages ? c.lc_messages : "-") << ' '
            << (c.lang ? c.lang : "-");
        EXPECT_EQ(loc::user_default_langid(), loc::language_of(c.expected));
    }
}
