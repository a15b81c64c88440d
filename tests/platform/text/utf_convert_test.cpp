#include "platform/text/utf_convert.hpp"
#include "platform/text/case_fold.hpp"

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
    EXPECT_EQ(text::utf8_to_utf16("a\xFF"
                                  "b"),
              u"a\uFFFDb");
    EXPECT_EQ(text::utf16_to_utf8(std::u16string(u"x") + char16_t(0xD800) + u"y"), "x\xEF\xBF\xBDy");
    EXPECT_EQ(text::wide_to_utf8(std::wstring(L"x") + wchar_t(0xD800) + wchar_t(0x110000)),
              "x\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UtfConvert, StrictModeRefusesWhatLenientModeReplaces) {
    for (const std::string s : {"", "Quillon 7.02b", "Mise à jour", "日本語", "\xF0\x9F\x98\x80"}) {
        EXPECT_EQ(text::utf8_to_utf16_strict(s), text::utf8_to_utf16(s)) << s;
        EXPECT_EQ(text::utf16_to_utf8_strict(text::utf8_to_utf16(s)), s);
    }
    const char* const ill_formed_utf8[] = {
        "\xFF",                  // no lead byte
        "\x80",                  // a lone continuation byte
        "\xC0\x80",              // overlong NUL
        "\xE0\x80\x80",          // overlong three bytes
        "\xED\xA0\x80",          // a surrogate
        "\xF4\x90\x80\x80",      // beyond U+10FFFF
        "\xE6\x97",              // truncated
        "\xF8\x88\x80\x80\x80",  // five bytes
    };
    for (const char* bad : ill_formed_utf8) {
        const std::string input = std::string("a") + bad + "b";
        EXPECT_FALSE(text::utf8_to_utf16_strict(input)) << input;
        const std::u16string lenient = text::utf8_to_utf16(input);
        EXPECT_EQ(lenient.front(), u'a');
        EXPECT_EQ(lenient.back(), u'b');
        EXPECT_NE(lenient.find(u'\uFFFD'), std::u16string::npos) << input;
    }
    const std::u16string ill_formed_utf16[] = {
        {u'a', char16_t(0xD800)},              // high surrogate at the end
        {char16_t(0xD800), u'a'},              // high surrogate without its low one
        {u'a', char16_t(0xDC00), u'b'},        // a lone low surrogate
        {char16_t(0xDC00), char16_t(0xD800)},  // the pair the wrong way round
    };
    for (const auto& bad : ill_formed_utf16) {
        EXPECT_FALSE(text::utf16_to_utf8_strict(bad));
        EXPECT_NE(text::utf16_to_utf8(bad).find("\xEF\xBF\xBD"), std::string::npos);
    }
}

TEST(UtfConvert, LittleEndianBytesCarryTheUnits) {
    const std::u16string units = u"A\u00E9\U0001F600";
    const std::string bytes("A\0\xE9\0\x3D\xD8\x00\xDE", 8);
    EXPECT_EQ(text::utf16le_bytes(units), bytes);
    EXPECT_EQ(text::utf16le_units(bytes), units);
    EXPECT_EQ(text::utf16le_units(bytes + 'x'), units);  // half a unit is none
}

TEST(UtfConvert, FoldsCaseBeyondAscii) {
    EXPECT_EQ(text::fold_case("Program FILES"), text::fold_case("program files"));
    EXPECT_EQ(text::fold_case("ÉCOLE"), text::fold_case("école"));
    EXPECT_NE(text::fold_case("a"), text::fold_case("b"));
}
