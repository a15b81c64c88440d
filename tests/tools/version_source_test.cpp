#include "version_source.hpp"

#include <gtest/gtest.h>

namespace ver = platform::version;

TEST(VersionSource, ReadsTheFixedInformationTranslationsAndStrings) {
    const auto r = vnrc::parse_version_source(
        "// comment\n"
        "FILEVERSION 1.0.65535.9\r\n"
        "  PRODUCTVERSION 7.2.2.1\n"
        "FILEFLAGSMASK 0x3F\n"
        "FILEFLAGS 0xA\n"
        "FILETYPE 2\n"
        "TRANSLATION 0x0409 1200\n"
        "TRANSLATION 0x040C 1252\n"
        "\n"
        "STRINGTABLE 040904b0\n"
        "\"ProductName\"   \"Quillon\"\n"
        "\"LegalCopyright\" \"\xC2\xA9 \\\"V\\\" Vintrel\"\n"
        "STRINGTABLE 040C04E4\n"
        "\"Comments\" \"\"\n");
    ASSERT_TRUE(r.fixed);
    EXPECT_EQ(r.fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(r.fixed->dwFileVersionLS, 0xFFFF0009u);
    EXPECT_EQ(r.fixed->dwProductVersionMS, 0x00070002u);
    EXPECT_EQ(r.fixed->dwProductVersionLS, 0x00020001u);
    EXPECT_EQ(r.fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(r.fixed->dwFileFlags, ver::VS_FF_PRERELEASE | ver::VS_FF_PRIVATEBUILD);
    EXPECT_EQ(r.fixed->dwFileType, ver::VFT_DLL);
    EXPECT_EQ(r.fixed->dwSignature, ver::VS_FFI_SIGNATURE);
    EXPECT_EQ(r.translations, (std::vector<ver::translation>{{0x0409, 1200}, {0x040C, 1252}}));
    ASSERT_EQ(r.string_tables.size(), 2u);
    EXPECT_EQ(r.string_tables[0].key, "040904b0");
    EXPECT_EQ(r.string_tables[0].strings,
              (std::vector<std::pair<std::string, std::string>>{{"ProductName", "Quillon"},
                                                                {"LegalCopyright", "\xC2\xA9 \"V\" Vintrel"}}));
    EXPECT_EQ(r.string_tables[1].strings.at(0).second, "");
}

TEST(VersionSource, RefusesMalformedStatements) {
    for (const char* bad : {
             "FILEVERSION 1.2.3\n",                     // three numbers
             "FILEVERSION 1.2.3.4.5\n",                 // five
             "FILEVERSION 1.2.3.65536\n",               // a number over 16 bits
             "FILEVERSION 1..3.4\n",                    // an empty number
             "FILEFLAGS 0xZZ\n",                        // not a number
             "FILEFLAGS\n",                             // no argument
             "TRANSLATION 0x0409\n",                    // one of two
             "TRANSLATION 0x10000 1200\n",              // over 16 bits
             "STRINGTABLE 0409\n",                      // a short key
             "\"ProductName\" \"Quillon\"\n",           // outside a table
             "STRINGTABLE 040904b0\n\"Key\"\n",         // no value
             "STRINGTABLE 040904b0\n\"Key\" Value\n",   // value not quoted
             "STRINGTABLE 040904b0\n\"Key\" \"open\n",  // unterminated
             "VERSION 1\n",                             // unknown statement
         }) {
        EXPECT_THROW(vnrc::parse_version_source(bad), vnrc::source_error) << bad;
    }
}
