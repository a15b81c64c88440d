#include "platform/shell/known_folders.hpp"

#include "platform/scratch_folder.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>

namespace shell = platform::shell;
namespace csidl = platform::shell::csidl;
using test_support::scoped_env;

namespace {

// A machine moved under a scratch root, with a home and an XDG configuration folder of its own.
struct moved_machine {
    test_support::scratch_folder scratch;
    scoped_env root{"SETUP_SYSTEM_ROOT", (scratch / "root").c_str()};
    scoped_env home{"HOME", "/home/ann"};
    scoped_env data{"XDG_DATA_HOME", nullptr};
    scoped_env config{"XDG_CONFIG_HOME", (scratch / "config").c_str()};

    void user_dirs(const std::string& content) {
        boost::filesystem::create_directories(scratch / "config");
        test_support::write_file(scratch / "config" / "user-dirs.dirs", content);
    }
};

}  // namespace

TEST(SpecialFolders, PlacesUnderTheRootHomeAndXdgFolders) {
    moved_machine machine;
    const std::string root = (machine.scratch / "root").string();
    const struct {
        int id;
        std::optional<std::string> expected;
    } cases[] = {
        {csidl::program_files, root + "/opt"},
        {csidl::program_files_common, root + "/usr/local/lib"},
        {csidl::common_appdata, root + "/var/opt"},
        {csidl::common_startmenu, root + "/usr/local/share"},
        {csidl::common_programs, root + "/usr/local/share/applications"},
        {csidl::windows, root + "/usr"},
        {csidl::system, root + "/usr/lib"},
        {csidl::startmenu, "/home/ann/.local/share"},
        {csidl::programs, "/home/ann/.local/share/applications"},
        {csidl::appdata, "/home/ann/.local/share"},
        {csidl::local_appdata, "/home/ann/.local/share"},
        {csidl::personal, "/home/ann/Documents"},
        {csidl::desktopdirectory, "/home/ann/Desktop"},
        {csidl::desktop, "/home/ann/Desktop"},
        {csidl::common_documents, std::nullopt},
        {csidl::common_desktopdirectory, std::nullopt},
        {0x99, std::nullopt},
        {csidl::program_files | 0x8000, std::nullopt},  // the create flag is not a folder
    };
    for (const auto& c : cases) {
        const auto folder = shell::special_folder(c.id);
        EXPECT_EQ(folder ? std::optional<std::string>(folder->string()) : std::nullopt, c.expected) << std::hex << c.id;
    }
    // A lookup creates nothing.
    EXPECT_FALSE(boost::filesystem::exists(machine.scratch / "root"));
}

TEST(SpecialFolders, UserDataFollowsXdgDataHome) {
    moved_machine machine;
    scoped_env data("XDG_DATA_HOME", "/data/ann");
    EXPECT_EQ(shell::special_folder(csidl::appdata), boost::filesystem::path("/data/ann"));
    EXPECT_EQ(shell::special_folder(csidl::programs), boost::filesystem::path("/data/ann/applications"));
}

TEST(SpecialFolders, DocumentsAndDesktopFromUserDirs) {
    const struct {
        const char* content;
        std::optional<std::string> documents;
        std::optional<std::string> desktop;
    } cases[] = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n", "/home/ann/Docs", "/home/ann/Bureau"},
        {"# comment\nXDG_DOCUMENTS_DIR=\"/srv/papers/\"\n", "/srv/papers", "/home/ann/Desktop"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\" \\$x\"\n", "/home/ann/My \"Docs\" $x", "/home/ann/Desktop"},
        {"  XDG_DOCUMENTS_DIR = \"$HOME/a\"\nXDG_DOCUMENTS_DIR=\"$HOME/b\"\n", "/home/ann/b", "/home/ann/Desktop"},
        // A folder set to HOME itself is turned off; a relative one is not allowed and is ignored.
        {"XDG_DOCUMENTS_DIR=\"$HOME\"\nXDG_DESKTOP_DIR=\"Desktop\"\n", std::nullopt, "/home/ann/Desktop"},
        {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\nXDG_DESKTOP_DIR=\"$HOME/\"\n", "/home/ann/Documents", std::nullopt},
        {"XDG_DOCUMENTS_DIR_OLD=\"/old\"\nXDG_TEMPLATES_DIR=\"/t\"\n", "/home/ann/Documents", "/home/ann/Desktop"},
    };
    for (const auto& c : cases) {
        moved_machine machine;
        machine.user_dirs(c.content);
        const auto as_text = [](const std::optional<boost::filesystem::path>& p) {
            return p ? std::optional<std::string>(p->string()) : std::nullopt;
        };
        EXPECT_EQ(as_text(shell::documents_folder()), c.documents) << c.content;
        EXPECT_EQ(as_text(shell::special_folder(csidl::personal)), c.documents) << c.content;
        EXPECT_EQ(as_text(shell::desktop_folder()), c.desktop) << c.content;
        EXPECT_EQ(as_text(shell::special_folder(csidl::desktopdirectory)), c.desktop) << c.content;
    }
}
