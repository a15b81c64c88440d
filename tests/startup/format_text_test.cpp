#include "startup/format_text.hpp"

#include <gtest/gtest.h>

#include <vector>

TEST(FormatText, FillsPositionalPlaceholders) {
    const struct {
        const char* format;
        std::vector<std::string_view> args;
        const char* expected;
    } cases[] = {
        {"'%1' Installation.", {"Quillon 7.02b"}, "'Quillon 7.02b' Installation."},
        {"Update from '%1' to '%2'.",
         {"Quillon 7.01", "Quillon 7.02b"},
         "Update from 'Quillon 7.01' to 'Quillon 7.02b'."},
        {"%2 before %1, %1 again", {"a", "b"}, "b before a, a again"},
        {"Copying File  %1...", {"C:\\x%1.txt"}, "Copying File  C:\\x%1.txt..."},  // arguments are not re-read
        {"%10/%1", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}, "ten/1"},
        {"100%% done, %%1", {"x"}, "100% done, %1"},
        {"%3 and %0 stay", {"a"}, "%3 and %0 stay"},
        {"trailing %", {}, "trailing %"},
        {"%x", {"a"}, "%x"},
        {"", {"a"}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatText(c.format, c.args), c.expected) << c.format;
    }
    EXPECT_EQ(FormatText("About '%1'", {"Installer"}), "About 'Installer'");
}
