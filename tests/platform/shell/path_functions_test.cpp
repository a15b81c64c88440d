#include "platform/shell/path_functions.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/scratch_folder.hpp"

#include <limits.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace shell = platform::shell;

TEST(PathFunctions, PathElementsSkipEmptyOnes) {
    const struct {
        const char* path;
        std::vector<std::string_view> expected;
    } cases[] = {
        {"", {}},
        {"/", {}},
        {"//", {}},
        {"a", {"a"}},
        {"/opt/Vintrel", {"opt", "Vintrel"}},
        {"//opt///Quillon 7/", {"opt", "Quillon 7"}},
        {"./a/../b", {".", "a", "..", "b"}},  // elements, not a canonical form
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shell::path_elements(c.path), c.expected) << c.path;
    }
}

TEST(PathFunctions, Canonicalize) {
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"/a/./b/../c", "/a/c"},
        {"./Programs/Quillon 7", "Programs/Quillon 7"},
        {"/..", "/"},
        {"/a/../../b", "/b"},
        {"../a/b", "../a/b"},
        {"a/../../b", "../b"},
        {"a//b///c/", "a/b/c"},
        {"/", "/"},
        {"", ""},
        {".", ""},
        {"/a/b.c/..d/...", "/a/b.c/..d/..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shell::canonicalize(c.path), c.expected) << c.path;
    }
}

TEST(PathFunctions, AppendAndCombine) {
    const struct {
        const char* path;
        const char* more;
        const char* appended;
        const char* combined;
    } cases[] = {
        {"/opt", "Vintrel", "/opt/Vintrel", "/opt/Vintrel"},
        {"/opt/", "Vintrel/Quillon 7", "/opt/Vintrel/Quillon 7", "/opt/Vintrel/Quillon 7"},
        {"/opt/Vintrel", "../data", "/opt/data", "/opt/data"},
        // An absolute second part is appended below the first, but stands alone when combined.
        {"/opt", "/etc", "/opt/etc", "/etc"},
        {"/opt", "", "/opt", "/opt"},
        {"", "Quillon 7.02b", "Quillon 7.02b", "Quillon 7.02b"},
        {"/usr/local/share", "/home/ann/menu", "/usr/local/share/home/ann/menu", "/home/ann/menu"},
    };
    for (const auto& c : cases) {
        std::string path = c.path;
        EXPECT_TRUE(shell::path_append(path, c.more));
        EXPECT_EQ(path, c.appended) << c.path << " + " << c.more;
        EXPECT_EQ(shell::combine(c.path, c.more), c.combined) << c.path << " + " << c.more;
    }
}

TEST(PathFunctions, TooLongResultsFailAndLeaveThePathAlone) {
    std::string path = "/" + std::string(PATH_MAX - 10, 'a');
    const std::string before = path;
    EXPECT_FALSE(shell::path_append(path, "0123456789"));
    EXPECT_EQ(path, before);
    EXPECT_FALSE(shell::combine(path, "0123456789"));
    EXPECT_TRUE(shell::path_append(path, "x"));
}

TEST(PathFunctions, RemoveFileSpecFindFileNameRemoveExtension) {
    const struct {
        const char* path;
        bool removed;
        const char* without_spec;
        const char* file_name;
        const char* without_extension;
    } cases[] = {
        {"/opt/Vintrel/quillon.bin", true, "/opt/Vintrel", "quillon.bin", "/opt/Vintrel/quillon"},
        {"/quillon", true, "/", "quillon", "/quillon"},
        {"/", false, "/", "/", "/"},
        {"", false, "", "", ""},
        {"quillon.tar.gz", true, "", "quillon.tar.gz", "quillon.tar"},
        {"/opt/folder/", true, "/opt/folder", "folder/", "/opt/folder/"},
        {"/opt/Quillon 7.02b", true, "/opt", "Quillon 7.02b", "/opt/Quillon 7"},
        {"/opt/a.b c", true, "/opt", "a.b c", "/opt/a.b c"},
        {"/home/ann/.profile", true, "/home/ann", ".profile", "/home/ann/.profile"},
        {"/opt/v1.2/quillon", true, "/opt/v1.2", "quillon", "/opt/v1.2/quillon"},
    };
    for (const auto& c : cases) {
        std::string path = c.path;
        EXPECT_EQ(shell::remove_file_spec(path), c.removed) << c.path;
        EXPECT_EQ(path, c.without_spec) << c.path;
        EXPECT_EQ(shell::find_file_name(c.path), c.file_name) << c.path;
        path = c.path;
        shell::remove_extension(path);
        EXPECT_EQ(path, c.without_extension) << c.path;
    }
}

TEST(PathFunctions, RelativePathTo) {
    const struct {
        const char* from;
        bool from_is_folder;
        const char* to;
        std::optional<std::string> expected;
    } cases[] = {
        {"/usr/local/share", true, "/usr/local/share", "."},
        {"/usr/local/share/", true, "/usr/local/share/applications/Quillon 7", "./applications/Quillon 7"},
        {"/usr/local/share/menu", true, "/usr/local/share/applications", "../applications"},
        {"/usr/local/share", true, "/home/ann/.local/share", "../../../home/ann/.local/share"},
        {"/usr/local/share/file.txt", false, "/usr/local/share/applications", "./applications"},
        {"/", true, "/opt", "./opt"},
        {"a/b", true, "a/c", "../c"},
        {"a/b", true, "c/d", std::nullopt},
        {"/a", true, "a", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shell::relative_path_to(c.from, c.from_is_folder, c.to), c.expected) << c.from << " -> " << c.to;
    }
}

// The shortcut page shows a folder relative to the Start menu and combines it back when saving.
TEST(PathFunctions, RelativeFolderCombinesBackToTheSameFolder) {
    const std::string base = "/usr/local/share";
    for (const std::string folder : {"/usr/local/share/applications/Vintrel/Quillon 7", "/usr/local/share",
                                     "/home/ann/.local/share/applications/Quillon 7"}) {
        const auto relative = shell::relative_path_to(base, true, folder);
        ASSERT_TRUE(relative);
        const std::string shown = *relative == "." ? "" : shell::canonicalize(*relative);
        EXPECT_EQ(shell::combine(base, shown), folder);
    }
}

TEST(PathFunctions, CommonPrefixAndQuoteSpaces) {
    EXPECT_EQ(shell::common_prefix("/usr/local/share/applications/x", "/usr/local/share"), "/usr/local/share");
    EXPECT_EQ(shell::common_prefix("/usr/local/sharing", "/usr/local/share"), "/usr/local");
    EXPECT_EQ(shell::common_prefix("/opt", "/usr"), "/");
    EXPECT_EQ(shell::common_prefix("opt/a", "usr/a"), "");
    EXPECT_EQ(shell::common_prefix("/opt", "opt"), "");
    EXPECT_EQ(shell::common_prefix("/Opt/a", "/opt/a"), "/");

    EXPECT_EQ(shell::quote_spaces("/opt/Vintrel/Quillon 7/quillon"), "\"/opt/Vintrel/Quillon 7/quillon\"");
    EXPECT_EQ(shell::quote_spaces("/opt/quillon"), "/opt/quillon");
}

TEST(PathFunctions, SearchAndQualify) {
    test_support::scratch_folder scratch;
    char previous[PATH_MAX];
    ASSERT_TRUE(::getcwd(previous, sizeof previous));
    ASSERT_EQ(::chdir(scratch.path().c_str()), 0);
    const auto relative = shell::search_and_qualify("Apps/../Apps/Vintrel");
    const auto absolute = shell::search_and_qualify("/opt/./Vintrel/");
    const auto empty = shell::search_and_qualify("");
    const auto empty_error = platform::kernel::last_error();
    ASSERT_EQ(::chdir(previous), 0);

    EXPECT_EQ(relative, (scratch / "Apps/Vintrel").string());
    EXPECT_EQ(absolute, "/opt/Vintrel");
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty_error, platform::kernel::win32::invalid_name);
    EXPECT_EQ(shell::qualify_path("Programs/../Programs/Quillon 7", "/usr/local/share"),
              "/usr/local/share/Programs/Quillon 7");
    EXPECT_EQ(shell::qualify_path("/etc", "/usr/local/share"), "/etc");
}

TEST(PathFunctions, CharacterTypes) {
    const struct {
        char32_t c;
        unsigned type;
    } cases[] = {
        {U'a', shell::gct_lfnchar},      {U' ', shell::gct_lfnchar},   {U'.', shell::gct_lfnchar},
        {U'\u00e9', shell::gct_lfnchar}, {U'/', shell::gct_separator}, {U'*', shell::gct_wild},
        {U'?', shell::gct_wild},         {U'\\', shell::gct_invalid},  {U':', shell::gct_invalid},
        {U'"', shell::gct_invalid},      {U'|', shell::gct_invalid},   {U'<', shell::gct_invalid},
        {U'\n', shell::gct_invalid},     {U'\0', shell::gct_invalid},  {0x7F, shell::gct_invalid},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shell::path_char_type(c.c), c.type) << static_cast<unsigned>(c.c);
    }
    EXPECT_TRUE(shell::has_only_path_chars("/opt/Vintrel/Quillon 7 \xC3\xA9"));
    EXPECT_FALSE(shell::has_only_path_chars("/opt/Quill*"));
    EXPECT_FALSE(shell::has_only_path_chars("C:\\Apps"));
    EXPECT_FALSE(shell::has_only_path_chars("/opt/\xC3"));  // cut UTF-8
}

TEST(PathFunctions, CompactPath) {
    // Every byte is one pixel wide, so widths read as lengths.
    const shell::text_width_function width = [](std::string_view text) { return static_cast<int>(text.size()); };
    const std::string path = "/opt/Vintrel/Quillon 7/data.bin";
    const struct {
        int width;
        const char* expected;
    } cases[] = {
        {100, "/opt/Vintrel/Quillon 7/data.bin"},
        {31, "/opt/Vintrel/Quillon 7/data.bin"},
        {30, "/opt/Vintrel/Quill.../data.bin"},
        {20, "/opt/Vin.../data.bin"},
        {13, "/.../data.bin"},
        {12, ".../data.bin"},
        {11, "data.bi..."},
        {7, "data..."},
        {4, "d..."},
        {3, "..."},
        {2, ".."},
        {0, ""},
    };
    for (const auto& c : cases) {
        const std::string compacted = shell::compact_path(path, c.width, width);
        EXPECT_EQ(compacted, c.expected) << c.width;
        EXPECT_LE(static_cast<int>(compacted.size()), std::max(c.width, 0)) << c.width;
    }
    // A cut never splits a character.
    EXPECT_EQ(shell::compact_path("/\xC3\xA9\xC3\xA9\xC3\xA9/f", 8, width), "/\xC3\xA9.../f");
}
