#include "startup/version_info.hpp"

#include "identity/product_identity.hpp"
#include "platform/resources/resource_table.hpp"
#include "startup/language_catalogue.hpp"
#include "startup/previous_installation.hpp"

#include "program_copy.hpp"

#include <gtest/gtest.h>

namespace ver = platform::version;
namespace res = platform::resources;

namespace {

ver::version_resource Resource(std::uint32_t ms, std::uint32_t ls, const std::string& name = "Quillon",
                               const std::string& version = "7.03") {
    ver::version_resource r;
    r.fixed.emplace();
    r.fixed->dwFileVersionMS = ms;
    r.fixed->dwFileVersionLS = ls;
    r.string_tables = {{"040904b0", {{"ProductName", name}, {"ProductVersion", version}}}};
    r.translations = {{0x0409, 1200}};
    return r;
}

VersionInfo FromResource(const ver::version_resource& r,
                         ver::string_length lengths = ver::string_length::counts_terminator) {
    return VersionInfo::FromBlock(ver::build_version_block(r, lengths));
}

// Keeps the current language of the process as the test found it.
class LanguageRestored : public testing::Test {
protected:
    void TearDown() override { MakeLanguageCurrent(m_saved); }

private:
    std::uint32_t m_saved = GetLanguageState().current;
};

using VersionDisplayText = LanguageRestored;

}  // namespace

TEST(VersionInfo, TheInstallersOwnResource) {
    const VersionInfo own = VersionInfo::FromOwnResource();
    ASSERT_TRUE(own.HasFixedInfo());
    EXPECT_EQ(own.GetProductName(), "Quillon");
    EXPECT_EQ(own.GetProductVersion(), "7.02b");
    EXPECT_EQ(own.GetString("ApplicationId"), "Quillon7");
    EXPECT_EQ(own.GetString("CompanyName"), "Vintrel");
    EXPECT_FALSE(own.GetLegalCopyright().empty());
    EXPECT_EQ(own.GetVersionNumber(), PackVersion(1, 0, 0, 0));
    EXPECT_EQ(own.GetString("NoSuchKey"), "");
}

TEST(VersionInfo, StringsComeFromTheFirstUnicodeTranslation) {
    auto r = Resource(0x00070002, 0x00020001);
    r.string_tables.push_back({"040704b0", {{"ProductName", "Quillon (Deutsch)"}}});
    r.string_tables.push_back({"040c04e4", {{"ProductName", "Quillon (ANSI)"}}});
    r.translations = {{0x040C, 1252}, {0x0407, 1200}, {0x0409, 1200}};
    EXPECT_EQ(FromResource(r).GetProductName(), "Quillon (Deutsch)");
}

TEST(VersionInfo, WithoutAUnicodeTranslationThereAreNoStrings) {
    auto r = Resource(0x00070002, 0x00020001);
    r.string_tables.push_back({"040904e4", {{"ProductName", "Quillon"}}});
    r.translations = {{0x0409, 1252}};
    const VersionInfo info = FromResource(r);
    EXPECT_EQ(info.GetProductName(), "");
    EXPECT_EQ(info.GetDisplayText(), "");
    EXPECT_EQ(info.GetVersionNumber(), 0x0007000200020001u);
}

TEST(VersionInfo, StringsReadTheSameWhetherTheirTerminatorIsCountedOrNot) {
    const auto r = Resource(1, 2, "Quillon", "7.02b");
    for (const auto lengths : {ver::string_length::counts_terminator, ver::string_length::excludes_terminator}) {
        const VersionInfo info = FromResource(r, lengths);
        EXPECT_EQ(info.GetProductName(), "Quillon");
        EXPECT_EQ(info.GetProductVersion(), "7.02b");
    }
}

TEST(VersionInfo, SurvivesBeingMoved) {
    VersionInfo info = FromResource(Resource(0x00070002, 0x00020001));
    VersionInfo moved = std::move(info);
    EXPECT_EQ(moved.GetProductName(), "Quillon");
    info = std::move(moved);
    EXPECT_EQ(info.GetProductVersion(), "7.03");
}

TEST(VersionInfo, UnreadableFilesHaveNoVersionInformation) {
    for (const char* file : {"/nonexistent/program", "/bin/true", "/etc/hostname"}) {
        const VersionInfo info = VersionInfo::FromFile(file);
        EXPECT_FALSE(info.HasFixedInfo()) << file;
        EXPECT_EQ(info.GetVersionNumber(), 0u) << file;
        EXPECT_EQ(info.GetProductName(), "") << file;
        EXPECT_EQ(info.GetDisplayText(), "") << file;
    }
}

TEST_F(VersionDisplayText, FollowsTheFlagsAndTheLanguage) {
    const struct {
        const char* name;
        const char* version;
        std::uint32_t flags;
        std::uint32_t mask;
        std::uint32_t language;
        const char* expected;
    } cases[] = {
        {"Quillon", "7.01", 0, 0x3F, LanguageEnglish, "Quillon 7.01"},
        {"Quillon", "", 0, 0x3F, LanguageEnglish, "Quillon"},
        {"Quillon", "7.02 bêta", ver::VS_FF_PRERELEASE, 0x3F, LanguageFrench, "Quillon 7.02 bêta"},
        {"Quillon", "7.02 bêta", ver::VS_FF_PRERELEASE, 0x3F, LanguageEnglish, "Quillon 7.02 beta"},
        {"Quillon", "7.02 bêta", ver::VS_FF_PRERELEASE, 0x3F, LanguageGerman, "Quillon 7.02 beta"},
        {"Quillon", "7.02 bêta", 0, 0x3F, LanguageEnglish, "Quillon 7.02 bêta"},  // not a pre-release
        {"Quillon", "7.02 bêta", ver::VS_FF_PRERELEASE, 0x01, LanguageEnglish, "Quillon 7.02 bêta"},  // masked off
        {"Quillon bêta", "7.02 bêta", ver::VS_FF_PRERELEASE, 0x3F, LanguageEnglish, "Quillon bêta 7.02 beta"},
        {"Quillon", "7.02", ver::VS_FF_PRIVATEBUILD | ver::VS_FF_DEBUG, 0x3F, LanguageEnglish,
         "Quillon 7.02 – Private – Debug"},
        {"Quillon", "7.02", ver::VS_FF_DEBUG, 0x3E, LanguageEnglish, "Quillon 7.02"},
    };
    for (const auto& c : cases) {
        auto r = Resource(0x00070002, 0x00020001, c.name, c.version);
        r.fixed->dwFileFlags = c.flags;
        r.fixed->dwFileFlagsMask = c.mask;
        MakeLanguageCurrent(c.language);
        EXPECT_EQ(FromResource(r).GetDisplayText(), c.expected) << c.name << " / " << c.version;
    }
}

TEST_F(VersionDisplayText, ComparisonWithTheInstalledProgramFile) {
    MakeLanguageCurrent(LanguageEnglish);
    const struct {
        std::uint32_t ms;
        std::uint32_t ls;
        PreviousInstallStatus status;
    } cases[] = {
        {0x00070002, 0x00020001, PreviousSame},   // 7.2.2.1
        {0x00070002, 0x00020002, PreviousNewer},  // 7.2.2.2
        {0x00070001, 0xFFFFFFFF, PreviousOlder},  // the high double word decides first
        {0x00080000, 0x00000000, PreviousNewer},  // 8.0.0.0
        {0x00070002, 0x00020000, PreviousOlder},  // 7.2.2.0
        {0x00070002, 0x00030000, PreviousNewer},  // 7.2.3.0
        {0x00070001, 0x00090009, PreviousOlder},  // 7.1.9.9
    };
    ProgramCopy program;
    for (const auto& c : cases) {
        program.Replace(res::rt_version, 1, ver::build_version_block(Resource(c.ms, c.ls)));
        const PreviousInstallation previous = ComparePreviousInstallation(program.File());
        const std::uint64_t packed = (std::uint64_t{c.ms} << 32) | c.ls;
        EXPECT_EQ(previous.status, c.status) << std::hex << packed;
        EXPECT_EQ(previous.versionText, c.status == PreviousSame ? "" : "Quillon 7.03") << std::hex << packed;
        EXPECT_EQ(previous.versionNumber, c.status == PreviousOlder ? packed : 0) << std::hex << packed;
    }
}

TEST(PreviousInstallation, WithoutVersionInformationItCountsAsTheSame) {
    ProgramCopy program;
    ver::version_resource noFixedInfo = Resource(0, 0);
    noFixedInfo.fixed.reset();
    program.Replace(res::rt_version, 1, ver::build_version_block(noFixedInfo));
    EXPECT_EQ(ComparePreviousInstallation(program.File()).status, PreviousSame);

    const std::vector<std::byte> junk(64, std::byte{0x41});
    program.Replace(res::rt_version, 1, junk);
    EXPECT_EQ(ComparePreviousInstallation(program.File()).status, PreviousSame);

    EXPECT_EQ(ComparePreviousInstallation("/bin/true").status, PreviousSame);
}

TEST(PreviousInstallation, NoInstalledProgramIsNone) {
    const PreviousInstallation previous = ComparePreviousInstallation({});
    EXPECT_EQ(previous.status, PreviousNone);
    EXPECT_EQ(previous.versionText, "");
    EXPECT_EQ(previous.versionNumber, 0u);
}

TEST(ProductIdentity, NamesAndPackedVersion) {
    EXPECT_EQ(GetProductText(true), "Quillon");
    EXPECT_EQ(GetProductText(false), "Quillon 7.02b");
    EXPECT_EQ(kProductPackedVersion, 0x0007000200020001u);
    EXPECT_EQ(FormatVersionNumber(kProductPackedVersion), "7.2.2.1");
    EXPECT_EQ(FormatVersionNumber(0xFFFF000100000002u), "65535.1.0.2");
}
