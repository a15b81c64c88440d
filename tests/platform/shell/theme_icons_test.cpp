#include "platform/shell/theme_icons.hpp"

#include "platform/scratch_folder.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

namespace shell = platform::shell;
namespace fs = boost::filesystem;
using test_support::read_file;
using test_support::scratch_folder;

namespace {

std::vector<shell::icon_picture> pictures(std::initializer_list<int> sizes) {
    std::vector<shell::icon_picture> out;
    for (const int size : sizes) {
        out.push_back({size, std::vector<std::byte>(static_cast<std::size_t>(size), std::byte{0x5A})});
    }
    return out;
}

}  // namespace

TEST(ThemeIcons, AnIconIsNamedAfterItsProgramAndItsPlace) {
    const std::string name = shell::program_icon_name("/opt/Vintrel/Quillon 7/Quillon_Main.bin");
    EXPECT_EQ(name.substr(0, 12), "quillonmain-");
    EXPECT_EQ(name.size(), 20u);
    EXPECT_EQ(name, shell::program_icon_name("/opt/Vintrel/Quillon 7/Quillon_Main.bin"));
    EXPECT_NE(name, shell::program_icon_name("/opt/Vintrel/Quillon 8/Quillon_Main.bin"));
    EXPECT_EQ(shell::program_icon_name("/opt/_").substr(0, 8), "program-");
}

TEST(ThemeIcons, InstalledAtEverySizeAndRemovedWithTheFoldersTheyLeaveEmpty) {
    scratch_folder scratch;
    const fs::path theme = shell::hicolor_theme(scratch / "share");
    const auto files = shell::theme_icon_files(theme, pictures({16, 48}), shell::apps_icon_context, "q-1");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], scratch / "share/icons/hicolor/16x16/apps/q-1.png");
    EXPECT_EQ(files[1], scratch / "share/icons/hicolor/48x48/apps/q-1.png");

    ASSERT_FALSE(shell::install_theme_icon(theme, pictures({16, 48}), shell::apps_icon_context, "q-1"));
    EXPECT_EQ(read_file(files[1]), std::string(48, 'Z'));
    EXPECT_EQ(fs::status(files[1]).permissions() & fs::all_all,
              fs::owner_read | fs::owner_write | fs::group_read | fs::others_read);
    // Someone else's icon of one size keeps that size's folders.
    test_support::write_file(theme / "48x48/apps/other.png", "x");

    ASSERT_FALSE(shell::remove_theme_icon(theme, shell::apps_icon_context, "q-1"));
    EXPECT_FALSE(fs::exists(files[0]));
    EXPECT_FALSE(fs::exists(files[1]));
    EXPECT_FALSE(fs::exists(theme / "16x16"));
    EXPECT_TRUE(fs::exists(theme / "48x48/apps/other.png"));
    EXPECT_FALSE(shell::remove_theme_icon(theme, shell::apps_icon_context, "q-1")) << "gone is no failure";

    fs::remove(theme / "48x48/apps/other.png");
    ASSERT_FALSE(shell::remove_theme_icon(theme, shell::apps_icon_context, "q-1"));
    EXPECT_TRUE(fs::exists(theme / "48x48/apps")) << "only the folders of the removed icon go";
    fs::remove_all(theme / "48x48");
    ASSERT_FALSE(shell::remove_theme_icon(theme, shell::apps_icon_context, "q-1"));
    EXPECT_FALSE(fs::exists(scratch / "share/icons"));
    EXPECT_TRUE(fs::exists(scratch / "share"));
}

TEST(ThemeIcons, AnExistingCacheIsRefreshedAndNoneIsMade) {
    if (std::system("command -v gtk-update-icon-cache >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "gtk-update-icon-cache is not installed";
    }
    scratch_folder scratch;
    const fs::path theme = shell::hicolor_theme(scratch / "share");
    ASSERT_FALSE(shell::install_theme_icon(theme, pictures({16}), shell::apps_icon_context, "q-1"));
    EXPECT_FALSE(fs::exists(shell::icon_cache_file(theme)));

    test_support::write_file(shell::icon_cache_file(theme), "stale");
    ASSERT_FALSE(shell::install_theme_icon(theme, pictures({16}), shell::mime_icon_context, "q-2"));
    const std::string cache = read_file(shell::icon_cache_file(theme));
    EXPECT_NE(cache, "stale");
    EXPECT_NE(cache.find("q-2"), std::string::npos);
}
