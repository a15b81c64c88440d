#include "payload/entry_path.hpp"
#include "payload/compress_error.hpp"

#include <gtest/gtest.h>

TEST(EntryPath, FileNameIsTheLastElementOfTheSourcePath) {
    EXPECT_EQ(payload::entry_file_name("D:\\build\\out/Lang\\Quillon.de.dll"), "Quillon.de.dll");
    EXPECT_EQ(payload::entry_file_name("plain"), "plain");
    EXPECT_EQ(payload::entry_file_name("dir\\"), "");
    EXPECT_EQ(payload::entry_file_name(""), "");
}

TEST(EntryPath, RefusesWhatCouldLeaveItsFolder) {
    using namespace std::string_literals;
    const struct {
        std::string folder;
        std::string name;
        bool safe;
    } cases[] = {
        {"<InstallPath>\\Lang", "Quillon.de.dll", true},
        {"<CommonData>/Vintrel\\.\\Materials", "a.dat", true},
        {"<InstallPath>\\Lang\\..\\Bin", "a", true},  // stays below its base
        {"", "a", true},
        {"C:\\Data\\x", "a", true},
        {"<InstallPath>\\..", "a", false},
        {"<InstallPath>\\Lang\\..\\..\\etc", "a", false},
        {"..\\x", "a", false},
        {"/..", "a", false},
        {"<InstallPath>\\<InstallPath>\\..\\..", "a", false},  // only the first element is a token
        {"<InstallPath>", "", false},
        {"<InstallPath>", ".", false},
        {"<InstallPath>", "..", false},
        {"<InstallPath>", "a/b", false},
        {"<InstallPath>", "a\\b", false},
        {"<InstallPath>", "a\0b"s, false},
        {"<InstallPath>\0/x"s, "a", false},
        // Control characters would split the file's line in the logs.
        {"<InstallPath>", "a\nb", false},
        {"<InstallPath>", "a\rb", false},
        {"<InstallPath>", "a\x01", false},
        {"<InstallPath>", "a\x1F", false},
        {"<InstallPath>", "a\x7F", false},
        {"<InstallPath>\\La\tng", "a", false},
        {"<InstallPath>\nx", "a", false},
        {"<InstallPath>\\Übersicht", "a\u00A0b ~", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(payload::is_safe_entry_path(c.folder, c.name), c.safe) << c.folder << " | " << c.name;
    }
    try {
        payload::check_entry_path("<InstallPath>\\..", "a");
        FAIL() << "no error";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), payload::compress_errc::unexpected);
    }
}
