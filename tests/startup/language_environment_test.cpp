// The installer starts under any locale the environment names, generated on this machine or not, and
// speaks the language the environment names.
#include "startup/language_catalogue.hpp"

#include "startup_probe.hpp"
#include "support/sandbox_machine.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

namespace {

class LanguageEnvironment : public test_support::sandbox_test {};

TEST_F(LanguageEnvironment, StartUpChoosesTheLanguageTheEnvironmentNames) {
    const struct {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        std::uint32_t language;
    } cases[] = {
        {nullptr, nullptr, "de_DE.UTF-8", LanguageGerman},  // not generated on a usual build machine
        {nullptr, nullptr, "de_XX.UTF-8", LanguageGerman},  // a territory no machine has
        {nullptr, nullptr, "fr_FR.UTF-8", LanguageFrench},
        {nullptr, nullptr, "en_US.UTF-8", LanguageEnglish},
        {nullptr, nullptr, "he_IL.UTF-8", LanguageHebrew},
        {nullptr, "de_DE.UTF-8", "C.UTF-8", LanguageGerman},       // messages before the general locale
        {"es_ES.UTF-8", nullptr, "de_DE.UTF-8", LanguageSpanish},  // LC_ALL before everything
        {nullptr, nullptr, "C.UTF-8", LanguageEnglish},            // generated everywhere
        {nullptr, nullptr, "C", LanguageEnglish},
        {"POSIX", nullptr, nullptr, LanguageEnglish},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("LC_ALL=") + (c.lcAll ? c.lcAll : "-") +
                     " LC_MESSAGES=" + (c.lcMessages ? c.lcMessages : "-") + " LANG=" + (c.lang ? c.lang : "-"));
        const test_support::scoped_env all("LC_ALL", c.lcAll);
        const test_support::scoped_env messages("LC_MESSAGES", c.lcMessages);
        const test_support::scoped_env lang("LANG", c.lang);
        const boost::filesystem::path report = machine.temp() / "language";
        boost::filesystem::remove(report);
        auto probe = startup_probe::Start(startup_probe::Program(), "language " + report.string());
        probe.wait();
        EXPECT_EQ(probe.exit_code(), 0) << "start-up stopped";
        const auto lines = startup_probe::ReadLines(report);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], std::to_string(c.language));
    }
}

}  // namespace
