#include "platform/text/utf_convert.hpp"

#include <gtest/gtest.h>

namespace text = platform::text;

TEST(UtfConvert, RoundTripsEveryPlane) {
    const std::string samples[] = {"", "Quillon 7.02b", "Mise à jour", "Привет", "日本語", "\xF0\x9F\x98\x80"};
    for (const auto& s : samples) {
        EXPECT_EQ(text::utf16_to_utf8(text::utf8_to_utf16(s)), s);
    }
    EXPECT_EQ(text::utf8_to_utf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    for (const auto& s : samples) {
        EXPECT_EQ(text::wide_to_utf8(text::utf8_to_wide(s)), s);
    }
    EXPECT_EQ(text::utf8_to_wide("\xF0\x9F\x98\x80"), L"\U0001F600");
}

TEST(UtfConvert, IllFormedInputBecomesReplacementCharacters) {
    EXPECT_EQ(text::utf8_to_utf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(text::utf16_to_utf8(std::u16string(u"x") + char16_t(0xD800) + u"y"), "x\xEF\xBF\xBDy");
    EXPECT_EQ(text::wide_to_utf8(std::wstring(L"x") + wchar_t(0xD800) + wchar_t(0x110000)), "x\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UtfConvert, FoldsCaseBeyondAscii) {
    EXPECT_EQ(text::fold_case("Program FILES"), text::fold_case("program files"));
    EXPECT_EQ(text::fold_case("ÉCOLE"), text::fold_case("école"));
    EXPECT_NE(text::fold_case("a"), text::fold_case("b"));
}
