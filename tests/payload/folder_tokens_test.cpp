#include "payload/folder_tokens.hpp"
#include "payload/compress_error.hpp"
#include "platform/shell/known_folders.hpp"
#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

namespace fs = boost::filesystem;
using payload::access_folder_list;

namespace {

class FolderTokens : public test_support::sandbox_test {
protected:
    payload::archive_folders folders{"/inst", "Quillon Examples", "/work"};
    access_folder_list access;

    fs::path resolve(const std::string& text) { return payload::resolve_folder(text, folders, access); }

    std::vector<fs::path> recorded() const {
        std::vector<fs::path> result;
        for (const auto& a : access) {
            result.push_back(a.folder);
        }
        return result;
    }

    fs::path common_data() const { return machine.root() / "var/opt"; }
    fs::path desktop() const { return machine.home() / "Desktop"; }
};

int compress_error_of(const std::function<void()>& run) {
    try {
        run();
    } catch (const std::system_error& e) {
        EXPECT_EQ(&e.code().category(), &payload::compress_category());
        return e.code().value();
    }
    return 0;
}

}  // namespace

TEST_F(FolderTokens, ResolvesEveryToken) {
    const struct {
        std::string text;
        fs::path expected;
    } cases[] = {
        {"<InstallPath>\\Lang", "/inst/Lang"},
        {"<InstallPath>/Lang\\de", "/inst/Lang/de"},
        {"<ProgramFiles>\\Vintrel", machine.root() / "opt/Vintrel"},
        {"<ProgramCommon>", machine.root() / "usr/local/lib"},
        {"<CommonData>\\Vintrel", common_data() / "Vintrel"},
        {"<UserData>\\Vintrel", machine.home() / ".local/share/Vintrel"},
        // Linux has no common documents or desktop: the user's folders stand in.
        {"<CommonDocuments>\\Vintrel", machine.home() / "Documents/Vintrel"},
        {"<Documents>", machine.home() / "Documents"},
        {"<CommonDesktop>\\x", desktop() / "x"},
        {"<Desktop>", desktop()},
        {"<WinDir>", machine.root() / "usr"},
        {"<System>", machine.root() / "usr/lib"},
        {"<Temporary>", "/work"},
        {"<SamplePath>\\Textures", desktop() / "Quillon Examples/Textures"},
        {"<InstallPath>\\a\\.\\b\\..\\c", "/inst/a/c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(resolve(c.text), c.expected);
    }
}

TEST_F(FolderTokens, TemporaryAndSamplesFollowTheirFolders) {
    folders.temp_folder.clear();
    EXPECT_EQ(resolve("<Temporary>"), "/inst");

    folders.sample_folder = "/srv/samples";
    EXPECT_EQ(resolve("<SamplePath>\\a"), "/srv/samples/a");
    folders.sample_folder.clear();
    EXPECT_EQ(resolve("<SamplePath>\\a"), desktop() / "a");
    EXPECT_TRUE(access.empty());  // neither form records anything
}

TEST_F(FolderTokens, RecordsSharedFoldersOnceEach) {
    resolve("<CommonData>");
    EXPECT_TRUE(access.empty());  // never the machine-wide folder itself

    resolve("<CommonData>\\Vintrel\\Quillon 7");
    resolve("<CommonData>\\Vintrel\\Quillon 7");
    resolve("<CommonData>\\Vintrel\\Materials");
    resolve("<UserData>\\Vintrel\\x");
    resolve("<Documents>\\Vintrel");
    resolve("<SamplePath>\\Textures\\Wood");
    resolve("<CommonDocuments>\\Vintrel");
    EXPECT_EQ(recorded(), (std::vector<fs::path>{
                              common_data() / "Vintrel",
                              common_data() / "Vintrel/Quillon 7",
                              common_data() / "Vintrel/Materials",
                              desktop() / "Quillon Examples",  // the samples folder only, nothing below
                              machine.home() / "Documents/Vintrel",
                          }));
    EXPECT_FALSE(access[0].done);
}

TEST_F(FolderTokens, RefusesTextsThatLeaveTheirBase) {
    for (const std::string text : {"<InstallPath>\\..\\etc", "<CommonData>\\a\\..\\..\\x", "..\\x", "/etc/cron.d",
                                   "\\etc", "C:\\Windows", "<Other>\\..\\..\\etc",
                                   // No known token: the text would be relative to wherever the run started.
                                   "<installpath>\\Lang", "<Other>", "Lang\\de", "", "\\", "<InstallPath"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(compress_error_of([&] { resolve(text); }), 7);
    }
}

TEST_F(FolderTokens, ShellFolderFallsBackOnlyWhenAsked) {
    namespace csidl = platform::shell::csidl;
    EXPECT_EQ(payload::shell_folder(csidl::common_documents, csidl::personal, true), machine.home() / "Documents");
    EXPECT_EQ(compress_error_of([] { payload::shell_folder(csidl::common_documents, csidl::personal, false); }), 7);
    EXPECT_EQ(compress_error_of([] { payload::shell_folder(0x7777, 0x7778, true); }), 7);
}

TEST_F(FolderTokens, SameFolder) {
    const fs::path existing = machine.folder() / "a";
    fs::create_directories(existing / "b");
    fs::create_symlink(existing, machine.folder() / "link");

    EXPECT_TRUE(payload::same_folder("/x/./y/../z", "/x/z"));    // neither exists: compared as text
    EXPECT_TRUE(payload::same_folder("/no/such", "/no/such/"));  // a trailing separator changes nothing
    EXPECT_FALSE(payload::same_folder("/no/Such", "/no/such"));  // names differ in case here
    EXPECT_TRUE(payload::same_folder(machine.folder() / "link/b", existing / "b"));  // by identity
    EXPECT_FALSE(payload::same_folder(existing, existing / "b"));
    EXPECT_FALSE(payload::same_folder(existing, existing / "missing"));  // one exists: not the same
}
