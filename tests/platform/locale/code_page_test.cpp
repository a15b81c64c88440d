#include "platform/locale/code_page.hpp"

#include <gtest/gtest.h>

#include <string>

namespace loc = platform::locale;

namespace {

std::wstring to_wide(std::uint32_t code_page, std::string_view bytes) {
    auto converter = loc::code_page_converter::open(code_page);
    if (!converter) {
        return L"<no converter>";
    }
    std::wstring out(bytes.size(), L'\0');
    const auto n = converter->to_wide(bytes, out);
    if (!n) {
        return L"<failed>";
    }
    out.resize(*n);
    EXPECT_EQ(converter->wide_length(bytes), *n);
    return out;
}

std::string to_bytes(std::uint32_t code_page, std::wstring_view wide) {
    auto converter = loc::code_page_converter::open(code_page);
    if (!converter) {
        return "<no converter>";
    }
    std::string out(wide.size() * 4, '\0');
    const auto n = converter->to_bytes(wide, out);
    if (!n) {
        return "<failed>";
    }
    out.resize(*n);
    return out;
}

}  // namespace

TEST(CodePage, ConvertsBothWays) {
    const struct {
        std::uint32_t code_page;
        std::string bytes;
        std::wstring wide;
    } cases[] = {
        {1252, "caf\xE9 \x80", L"caf\u00E9 \u20AC"},
        {1250, "\x8A\xE8", L"\u0160\u010D"},
        {1251, "\xC6", L"\u0416"},
        {1253, "\xE1", L"\u03B1"},
        {1255, "\xF9", L"\u05E9"},
        {932, "A\x82\xA0", L"A\u3042"},
        {936, "\xD6\xD0", L"\u4E2D"},
        {950, "\xA4\xA4", L"\u4E2D"},
        {65001, "\xF0\x9F\x98\x80", L"\U0001F600"},  // one wide character, not a surrogate pair
    };
    for (const auto& c : cases) {
        EXPECT_EQ(to_wide(c.code_page, c.bytes), c.wide) << c.code_page;
        EXPECT_EQ(to_bytes(c.code_page, c.wide), c.bytes) << c.code_page;
    }
}

TEST(CodePage, UnrepresentableCharactersBecomeQuestionMarksNotLookAlikes) {
    const struct {
        std::uint32_t code_page;
        std::wstring wide;
        std::string bytes;
    } cases[] = {
        {1252, L"\u0416", "?"},         // Cyrillic
        {1252, L"\u0100b", "?b"},       // A with macron: no best-fit "A"
        {1252, L"\uFF21", "?"},         // fullwidth A
        {1252, L"\u221E\u2215", "??"},  // infinity, division slash
        {1251, L"\u00E9", "?"},
        {932, L"\u00E9", "?"},
        {1252, std::wstring(1, static_cast<wchar_t>(0xD800)), "?"},    // a lone surrogate
        {1252, std::wstring(1, static_cast<wchar_t>(0x110000)), "?"},  // beyond Unicode
    };
    for (const auto& c : cases) {
        EXPECT_EQ(to_bytes(c.code_page, c.wide), c.bytes) << c.code_page;
    }
}

TEST(CodePage, InvalidBytesAreSubstitutedWithoutFailing) {
    const std::wstring wide = to_wide(932,
                                      "A\xFF"
                                      "B\x82");  // an invalid byte, then a cut-off pair
    ASSERT_EQ(wide.size(), 4u);
    EXPECT_EQ(wide[0], L'A');
    EXPECT_EQ(wide[2], L'B');
    const std::wstring utf8 = to_wide(65001, "\xC3(");
    ASSERT_EQ(utf8.size(), 2u);
    EXPECT_EQ(utf8[1], L'(');
}

TEST(CodePage, OutputThatDoesNotFitFails) {
    auto converter = loc::code_page_converter::open(932);
    ASSERT_TRUE(converter);
    wchar_t wide[1];
    EXPECT_FALSE(converter->to_wide(std::string_view("\x82\xA0\x82\xA0"), wide));
    EXPECT_EQ(converter->to_wide(std::string_view("\x82\xA0"), wide), 1u);
    char bytes[3];
    EXPECT_FALSE(converter->to_bytes(std::wstring_view(L"\u3042\u3042"), bytes));
    EXPECT_EQ(converter->to_bytes(std::wstring_view(L"\u3042A"), bytes), 3u);
}

TEST(CodePage, BytesThatMakeTheFirstWideCharacters) {
    auto converter = loc::code_page_converter::open(932);
    ASSERT_TRUE(converter);
    const std::string bytes =
        "A\x82\xA0"
        "B\x82\xA2";
    const std::size_t expected[] = {0, 1, 3, 4, 6, 6, 6};
    for (std::size_t max = 0; max < std::size(expected); ++max) {
        EXPECT_EQ(converter->bytes_for_wide(bytes, max), expected[max]) << max;
    }
}

TEST(CodePage, LongTextsCrossTheConvertersInternalChunks) {
    // Supplementary characters straddle every chunk boundary of the UTF-16 stage in turn.
    std::wstring wide;
    std::string bytes;
    for (int i = 0; i < 700; ++i) {
        wide += (i % 3 == 0) ? L'\U0001F600' : L'x';
        bytes += (i % 3 == 0) ? "\xF0\x9F\x98\x80" : "x";
    }
    EXPECT_EQ(to_wide(65001, bytes), wide);
    EXPECT_EQ(to_bytes(65001, wide), bytes);
}

TEST(CodePage, CodePagesWithoutAConverter) {
    EXPECT_FALSE(loc::code_page_converter::open(12345));
    EXPECT_FALSE(loc::code_page_converter::open(1));
}
