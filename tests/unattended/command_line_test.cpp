#include "unattended/command_line.hpp"

#include "startup/language_catalogue.hpp"

#include <gtest/gtest.h>

#include <boost/algorithm/string/split.hpp>

#include <string>
#include <vector>

namespace {

using Action = CommandLine::Action;

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    if (!line.empty()) {
        boost::algorithm::split(words, line, [](char c) { return c == ' '; });
    }
    return words;
}

std::string LongAccentedFolder() {
    std::string folder = "/";
    for (int i = 0; i < 200; ++i) {
        folder += "\xC3\xA9";  // e with an acute accent
    }
    return folder;
}

TEST(CommandLine, GoodLines) {
    struct Case {
        std::string line;
        Action action;
        std::optional<std::string> folder;
        std::optional<std::uint32_t> language;
        bool startMenu;
        bool desktop;
        std::optional<std::string> log;
    };
    const Case cases[] = {
        {"", Action::RunWizard, {}, {}, true, true, {}},
        {"--log install.log", Action::RunWizard, {}, {}, true, true, "install.log"},
        {"--log=install.log", Action::RunWizard, {}, {}, true, true, "install.log"},
        {"--unattended", Action::RunUnattended, {}, {}, true, true, {}},
        {"--unattended --folder /srv/Quillon --language de --no-start-menu --no-desktop --log /var/log/q.log",
         Action::RunUnattended, "/srv/Quillon", LanguageGerman, false, false, "/var/log/q.log"},
        {"--no-desktop --unattended --language=ZH",
         Action::RunUnattended,
         {},
         LanguageChineseSimplified,
         true,
         false,
         {}},
        {"--unattended --language pt-PT", Action::RunUnattended, {}, LanguagePortuguese, true, true, {}},
        {"--help", Action::ShowHelp, {}, {}, true, true, {}},
        {"--unattended --help", Action::ShowHelp, {}, {}, true, true, {}},
        {"--version", Action::ShowVersion, {}, {}, true, true, {}},
        {"--query", Action::Query, {}, {}, true, true, {}},
        // 201 characters in 401 bytes: the limit counts characters, as the folder page does.
        {"--unattended --folder " + LongAccentedFolder(),
         Action::RunUnattended,
         LongAccentedFolder(),
         {},
         true,
         true,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const CommandLine parsed = ParseCommandLine(Words(c.line));
        EXPECT_EQ(parsed.action, c.action) << parsed.error;
        EXPECT_EQ(parsed.choices.installFolder, c.folder);
        EXPECT_EQ(parsed.choices.language, c.language);
        EXPECT_EQ(parsed.choices.startMenuShortcut, c.startMenu);
        EXPECT_EQ(parsed.choices.desktopShortcut, c.desktop);
        EXPECT_EQ(parsed.logFile ? std::optional(parsed.logFile->string()) : std::nullopt, c.log);
    }
}

// Each refusal names what was wrong, so that the one line printed says it.
TEST(CommandLine, BadLinesAreUsageErrorsNamingTheOption) {
    const std::pair<std::string, std::string> cases[] = {
        {"--silent", "--silent"},                                    // unknown
        {"-q", "-q"},                                                // no short options at all
        {"--unattend", "--unattend"},                                // no guessing from abbreviations
        {"--unattended extra", "extra"},                             // no positional arguments
        {"--unattended --folder", "folder"},                         // missing value
        {"--unattended --folder relative/dir", "relative/dir"},      // not absolute
        {"--unattended --folder /" + std::string(300, 'x'), "260"},  // longer than the folder page takes
        {"--unattended --folder /a --folder /b", "folder"},          // given twice
        {"--unattended --language xx", "xx"},                        // no such language
        {"--unattended --language da", "da"},                        // a language the product does not know
        {"--unattended --no-desktop=1", "no-desktop"},               // a switch takes no value
        {"--folder /opt/Q", "--unattended"},                         // only for an unattended run
        {"--no-start-menu", "--unattended"},
        {"--log", "log"},
        {"--query --unattended", "--unattended"},  // a query changes nothing and writes no log
        {"--query --log q.log", "--log"},
    };
    for (const auto& [line, named] : cases) {
        SCOPED_TRACE(line);
        const CommandLine parsed = ParseCommandLine(Words(line));
        EXPECT_EQ(parsed.action, Action::UsageError);
        EXPECT_NE(parsed.error.find(named), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
    }
}

TEST(CommandLine, HelpDocumentsEveryOptionAndExitCode) {
    const std::string help = HelpText("quillon-setup");
    for (const char* option : {"--unattended", "--folder", "--language", "--no-start-menu", "--no-desktop", "--log",
                               "--query", "--help", "--version"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    for (int code = 0; code <= 7; ++code) {
        EXPECT_NE(help.find("\n  " + std::to_string(code) + "  "), std::string::npos) << code;
    }
    EXPECT_NE(help.find(" de "), std::string::npos) << "the language codes are listed";
}

}  // namespace
