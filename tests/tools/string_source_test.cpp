#include "string_source.hpp"

#include <gtest/gtest.h>

TEST(StringSource, ReadsNumberedTextsWithEscapes) {
    const auto texts = vnrc::parse_string_source(
        "// a comment\n"
        "\n"
        "2000 \"Installer\"\r\n"
        "  2110 \"a\\r\\nb \\\"q\\\" \\\\ \\t\"\n"
        "2131 \"#\"\n");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts.at(2000), "Installer");
    EXPECT_EQ(texts.at(2110), "a\r\nb \"q\" \\ \t");
    EXPECT_EQ(texts.at(2131), "#");
}

TEST(StringSource, RefusesMalformedLines) {
    for (const char* bad : {"2000 Installer\n", "2000 \"open\n", "x \"text\"\n", "2000 \"a\\q\"\n",
                            "2000 \"a\"\n2000 \"b\"\n", "2000 junk \"a\"\n", "2000 \"a\\\"\n"}) {
        EXPECT_THROW(vnrc::parse_string_source(bad), vnrc::source_error) << bad;
    }
}
