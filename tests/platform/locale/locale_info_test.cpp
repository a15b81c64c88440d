#include "platform/locale/locale_info.hpp"
#include "platform/locale/thread_locale.hpp"

#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace loc = platform::locale;
using test_support::scoped_env;

TEST(LocaleInfo, NativeLanguageNames) {
    const struct {
        loc::lcid_t id;
        const char* name;
    } cases[] = {
        {0x040C, "français"}, {0x0407, "Deutsch"},   {0x0807, "Deutsch"},    {0x0411, "日本語"},
        {0x040D, "עברית"},    {0x0402, "български"}, {0x042A, "Tiếng Việt"}, {0x9999, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loc::native_language_name(c.id), c.name) << std::hex << c.id;
    }
}

TEST(LocaleInfo, RightToLeftScripts) {
    EXPECT_EQ(loc::is_right_to_left(0x040D), true);   // Hebrew
    EXPECT_EQ(loc::is_right_to_left(0x0401), true);   // Arabic
    EXPECT_EQ(loc::is_right_to_left(0x040C), false);  // French
    EXPECT_EQ(loc::is_right_to_left(0x0411), false);  // Japanese
    EXPECT_EQ(loc::is_right_to_left(0x9999), std::nullopt);
}

TEST(LocaleInfo, AnsiCodePages) {
    const struct {
        loc::lcid_t id;
        std::uint32_t code_page;
    } cases[] =
        {
            {0x040C, 1252}, {0x0409, 1252}, {0x0413, 1252}, {0x0405, 1250}, {0x040E, 1250}, {0x0418, 1250},
            {0x0402, 1251}, {0x0419, 1251}, {0x0408, 1253}, {0x041F, 1254}, {0x040D, 1255}, {0x0401, 1256},
            {0x0425, 1257}, {0x042A, 1258}, {0x041E, 874},  {0x0804, 936},  {0x1004, 936},  {0x0404, 950},
            {0x0C04, 950},  {0x0411, 932},  {0x0412, 949},  {0x081A, 1250}, {0x0C1A, 1251}, {0x042C, 1254},
            {0x082C, 1251}, {0x0439, 0},  // Hindi is written in Unicode only
            {0x9999, 0},                  // no such locale
        };
    for (const auto& c : cases) {
        EXPECT_EQ(loc::default_ansi_code_page(c.id), c.code_page) << std::hex << c.id;
    }
}

TEST(LocaleInfo, SystemCodePageFollowsTheUsersLocale) {
    scoped_env messages("LC_MESSAGES", nullptr);
    scoped_env lang("LANG", nullptr);
    {
        scoped_env all("LC_ALL", "ja_JP.UTF-8");
        EXPECT_EQ(loc::ansi_code_page(), 932u);
        EXPECT_EQ(loc::default_ansi_code_page(loc::LOCALE_USER_DEFAULT), 932u);
    }
    scoped_env all("LC_ALL", "hi_IN.UTF-8");
    EXPECT_EQ(loc::ansi_code_page(), 1252u);  // a Unicode-only locale has none of its own
}

TEST(ThreadLocale, EachThreadHasItsOwnAndStartsWithTheUsers) {
    scoped_env all("LC_ALL", "cs_CZ.UTF-8");
    std::thread([] {
        EXPECT_EQ(loc::thread_locale(), 0x0405u);
        EXPECT_EQ(loc::thread_ansi_code_page(), 1250u);

        EXPECT_TRUE(loc::set_thread_locale(0x0411));
        EXPECT_EQ(loc::thread_locale(), 0x0411u);
        EXPECT_EQ(loc::thread_ansi_code_page(), 932u);

        std::thread([] { EXPECT_EQ(loc::thread_locale(), 0x0405u); }).join();

        EXPECT_FALSE(loc::set_thread_locale(0x9999));
        EXPECT_EQ(loc::thread_locale(), 0x0411u);

        EXPECT_TRUE(loc::set_thread_locale(0x0439));  // Hindi: the system's code page stands in
        EXPECT_EQ(loc::thread_ansi_code_page(), 1250u);
    }).join();
}
