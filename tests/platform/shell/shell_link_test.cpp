#include "platform/shell/shell_link.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/resources/resource_module.hpp"
#include "platform/scratch_folder.hpp"
#include "platform/shell/theme_icons.hpp"
#include "support/scoped_env.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

namespace shell = platform::shell;
namespace fs = boost::filesystem;
using test_support::read_file;
using test_support::scratch_folder;

namespace {

struct validation {
    int status = -1;
    std::string output;
};

validation validate(const fs::path& file) {
    validation result;
    const std::string command = "desktop-file-validate '" + file.string() + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) {
        return result;
    }
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe.get())) {
        result.output += buffer.data();
    }
    result.status = ::pclose(pipe.release());
    return result;
}

bool have_validator() {
    return std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0;
}

}  // namespace

TEST(ShellLink, ExecArgumentsAreQuotedAsDesktopEntriesRequire) {
    const struct {
        const char* argument;
        const char* quoted;
    } cases[] = {
        {"/opt/quillon", "/opt/quillon"},   {"/opt/Vintrel/Quillon 7/quillon", "\"/opt/Vintrel/Quillon 7/quillon\""},
        {"/opt/a\"b", "\"/opt/a\\\"b\""},   {"/opt/a\\b", "\"/opt/a\\\\b\""},
        {"/opt/$HOME", "\"/opt/\\$HOME\""}, {"/opt/a`b`", "\"/opt/a\\`b\\`\""},
        {"/opt/100%", "/opt/100%%"},        {"/opt/50% off", "\"/opt/50%% off\""},
        {"/opt/it's", "\"/opt/it's\""},     {"", "\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shell::quote_exec_argument(c.argument), c.quoted) << c.argument;
    }
}

TEST(ShellLink, SavedEntryHoldsTargetWorkingFolderAndName) {
    scratch_folder scratch;
    shell::shell_link link;
    link.set_path("/opt/Vintrel/Quillon 7/quillon");
    link.set_working_directory("/opt/Vintrel/Quillon 7");
    const fs::path file = scratch / "Quillon 7.02b.desktop";
    ASSERT_FALSE(link.save(file));
    EXPECT_EQ(read_file(file),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Version=1.4\n"
              "Name=Quillon 7.02b\n"
              "Exec=\"/opt/Vintrel/Quillon 7/quillon\"\n"
              "Path=/opt/Vintrel/Quillon 7\n"
              "Terminal=false\n");
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0755u);
    // Nothing but the entry is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

TEST(ShellLink, ValidatorAcceptsEntriesWithAwkwardCharacters) {
    if (!have_validator()) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    scratch_folder scratch;
    const struct {
        const char* target;
        const char* folder;
        const char* name;
    } cases[] = {
        {"/opt/Vintrel/Quillon 7/quillon", "/opt/Vintrel/Quillon 7", "Quillon 7.02b"},
        {"/opt/Vin\"trel\\x/$cost 100%/quillon", "/opt/Vin\"trel\\x/$cost 100%", "Uninstall Quillon"},
        {"/opt/caf\xC3\xA9 & (co); #1/q'\tx", "/opt/caf\xC3\xA9 & (co); #1", " D\xC3\xA9sinstaller Quillon"},
        {"/opt/line\nbreak/quillon", "/opt/line\nbreak", "Quillon"},
    };
    for (const auto& c : cases) {
        shell::shell_link link;
        link.set_path(c.target);
        link.set_working_directory(c.folder);
        link.set_description("Starts \"Quillon\"\\now");
        link.set_arguments({"/Register", "--name=a b"});
        link.set_icon_location("/opt/Vintrel/Quillon 7/quillon.png", 3);
        const fs::path file = scratch / (std::string(c.name) + std::string(shell::link_extension));
        ASSERT_FALSE(link.save(file)) << c.target;
        const validation result = validate(file);
        EXPECT_EQ(result.status, 0) << read_file(file) << result.output;
        EXPECT_EQ(result.output, "") << read_file(file);
    }
}

TEST(ShellLink, SaveReplacesWithoutWritingThroughALink) {
    scratch_folder scratch;
    test_support::write_file(scratch / "victim", "precious");
    const fs::path file = scratch / "Quillon.desktop";
    fs::create_symlink(scratch / "victim", file);
    shell::shell_link link;
    link.set_path("/opt/quillon");
    ASSERT_FALSE(link.save(file));
    EXPECT_FALSE(fs::is_symlink(file));
    EXPECT_EQ(read_file(scratch / "victim"), "precious");
    EXPECT_NE(read_file(file).find("Exec=/opt/quillon\n"), std::string::npos);

    // An existing entry is overwritten.
    link.set_path("/opt/other");
    ASSERT_FALSE(link.save(file));
    EXPECT_NE(read_file(file).find("Exec=/opt/other\n"), std::string::npos);
}

TEST(ShellLink, Failures) {
    scratch_folder scratch;
    namespace win32 = platform::kernel::win32;
    shell::shell_link empty;
    EXPECT_EQ(empty.save(scratch / "Empty.desktop").value(), static_cast<int>(win32::invalid_parameter));

    shell::shell_link latin1;
    latin1.set_path("/opt/caf\xE9/quillon");
    EXPECT_EQ(latin1.save(scratch / "Latin1.desktop").value(), static_cast<int>(win32::no_unicode_translation));

    shell::shell_link badCategory;
    badCategory.set_path("/opt/quillon");
    badCategory.set_categories({"Office;Hidden"});
    EXPECT_EQ(badCategory.save(scratch / "Category.desktop").value(), static_cast<int>(win32::invalid_parameter));

    shell::shell_link good;
    good.set_path("/opt/quillon");
    EXPECT_EQ(good.save(scratch / "missing" / "Quillon.desktop").value(), static_cast<int>(win32::path_not_found));
    EXPECT_EQ(good.save(scratch.path() / ".desktop").value(), static_cast<int>(win32::invalid_parameter));
    EXPECT_TRUE(fs::is_empty(scratch.path()));
}

// Without an icon location the entry shows the target's first icon, installed into the theme of the
// side of the machine the link is on; a target without an icon gets no Icon line.
TEST(ShellLink, TheTargetsFirstIconGoesIntoTheThemeOfTheLinksSide) {
    scratch_folder scratch;
    const test_support::scoped_env root("SETUP_SYSTEM_ROOT", (scratch / "root").c_str());
    const test_support::scoped_env home("HOME", (scratch / "home").c_str());
    const test_support::scoped_env data("XDG_DATA_HOME", nullptr);
    // This test program carries the installer's resources, icon 128 (64 pixels) first.
    const fs::path program = fs::read_symlink("/proc/self/exe");
    const auto icon = platform::resources::resource_module::self().find(platform::resources::rt_group_icon, 128);
    ASSERT_TRUE(icon);
    const std::string name = shell::program_icon_name(program);

    const struct {
        fs::path folder;
        fs::path theme;
    } sides[] = {
        {scratch / "root/usr/local/share/applications/Vintrel", scratch / "root/usr/local/share/icons/hicolor"},
        {scratch / "home/Desktop", scratch / "home/.local/share/icons/hicolor"},
    };
    for (const auto& side : sides) {
        SCOPED_TRACE(side.folder);
        fs::create_directories(side.folder);
        shell::shell_link link;
        link.set_path(program);
        link.set_window_class("quillon");
        link.set_categories({"Office", "WordProcessor"});
        const fs::path file = side.folder / "Quillon.desktop";
        const auto files = link.icon_files(file);
        ASSERT_EQ(files, std::vector<fs::path>{side.theme / "64x64/apps" / (name + ".png")});
        ASSERT_FALSE(link.save(file));
        EXPECT_EQ(read_file(files[0]), std::string(reinterpret_cast<const char*>(icon->data()), icon->size()));
        const std::string entry = read_file(file);
        EXPECT_NE(entry.find("\nIcon=" + name + "\n"), std::string::npos) << entry;
        EXPECT_NE(entry.find("\nStartupWMClass=quillon\n"), std::string::npos) << entry;
        EXPECT_NE(entry.find("\nCategories=Office;WordProcessor;\n"), std::string::npos) << entry;
        if (have_validator()) {
            const validation result = validate(file);
            EXPECT_EQ(result.status, 0) << entry << result.output;
            EXPECT_EQ(result.output, "") << entry;
        }
    }

    shell::shell_link plain;
    plain.set_path("/bin/sh");
    const fs::path file = scratch / "home/Desktop/Shell.desktop";
    EXPECT_TRUE(plain.icon_files(file).empty());
    ASSERT_FALSE(plain.save(file));
    EXPECT_EQ(read_file(file).find("Icon="), std::string::npos);

    shell::shell_link located;
    located.set_path(program);
    located.set_icon_location("/opt/q.png");
    EXPECT_TRUE(located.icon_files(file).empty()) << "an icon location is used as it is";
}
