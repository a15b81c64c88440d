#include "platform/process/command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::process::split_command_line;
using args = std::vector<std::string>;

TEST(CommandLine, ArgumentsFollowTheRuntimeLibraryRules) {
    const struct {
        const char* line;
        args expected;
    } cases[] = {
        {R"(p "abc" d e)", {"p", "abc", "d", "e"}},
        {R"(p a\\b d"e f"g h)", {"p", R"(a\\b)", "de fg", "h"}},
        {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},  // "" inside quotes: a quote, still quoted
        {R"(p "a""b")", {"p", R"(a"b)"}},
        {R"(p "")", {"p", ""}},  // an empty argument
        {R"(p \"a\")", {"p", R"("a")"}},
        {R"(p a\b\ c\)", {"p", R"(a\b\)", R"(c\)"}},  // backslashes not before a quote stay
        {"p \t a\t\tb  ", {"p", "a", "b"}},
        {R"(p "unterminated arg)", {"p", "unterminated arg"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split_command_line(c.line), c.expected) << c.line;
    }
}

TEST(CommandLine, ProgramNameTakesQuotesButNoEscapes) {
    const struct {
        const char* line;
        args expected;
    } cases[] = {
        {R"("C:\Program Files\Vintrel\Quillon.exe" /Register /Background)",
         {R"(C:\Program Files\Vintrel\Quillon.exe)", "/Register", "/Background"}},
        {R"(C:\Tools\q.exe /x)", {R"(C:\Tools\q.exe)", "/x"}},
        {R"(a\"b c" d)", {R"(a\b c)", "d"}},  // the backslash is kept, the quotes only group
        {"/opt/q", {"/opt/q"}},
        {"", {""}},
        {" p", {"", "p"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split_command_line(c.line), c.expected) << c.line;
    }
}

TEST(CommandLine, QuotedArgumentsComeBackUnchanged) {
    const std::vector<std::string> arguments = {"plain",
                                                "",
                                                "with blank",
                                                "tab\there",
                                                R"(a"b)",
                                                R"(trailing\)",
                                                R"(two\\ "q\"")",
                                                R"(\\server\share\)",
                                                "--pass-env=LANG=de_DE.UTF-8",
                                                "--log=/home/ann/My Logs/setup.log"};
    std::string line = "program";
    for (const std::string& argument : arguments) {
        line += ' ' + platform::process::quote_argument(argument);
    }
    std::vector<std::string> expected{"program"};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(platform::process::split_command_line(line), expected);
}
