#include "product_programs.hpp"

#include "platform/process/process_handle.hpp"
#include "platform/registry/key.hpp"
#include "platform/shell/known_folders.hpp"
#include "platform/shell/program_icon.hpp"
#include "platform/shell/theme_icons.hpp"
#include "platform/sync/named_semaphore.hpp"
#include "startup/version_info.hpp"
#include "support/sandbox_machine.hpp"
#include "support/scoped_env.hpp"

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

namespace fs = boost::filesystem;
namespace reg = platform::registry;
using product_test::built;

constexpr const char* counter_name = "Global\\Quillon7.{a3526b56-ca7c-4e16-8a26-da7758a378fd}";

// The counts other processes hold, as the installer reads them.
std::int32_t running_count() {
    using namespace platform::sync;
    auto counter =
        named_semaphore::create(counter_name, 0, 0x7FFFFFFF, object_security::everyone(semaphore_all_access));
    const auto outcome = counter.release(1);
    if (!outcome) {
        return -1;
    }
    counter.wait(std::chrono::milliseconds(0));
    return outcome.previous_count;
}

std::string text_of(const fs::path& file) {
    std::ifstream in(file.string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::optional<std::string> class_string(const std::string& path, const std::string& name = "") {
    auto key = reg::Key::open(reg::hive::local_machine, "Software\\Classes\\" + path);
    if (!key) {
        return std::nullopt;
    }
    auto text = key->query_string(name);
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

std::optional<std::int32_t> run_quillon(const std::string& arguments) {
    platform::process::start_options options;
    options.command_line = built("quillon").string() + " " + arguments;
    auto process = platform::process::process_handle::start(options);
    if (!process) {
        return std::nullopt;
    }
    process.wait();
    return process.exit_code();
}

TEST(MainProgram, CarriesTheProductVersion) {
    for (const char* program : {"quillon", "uninstall"}) {
        SCOPED_TRACE(program);
        const VersionInfo info = VersionInfo::FromFile(built(program));
        EXPECT_EQ(info.GetVersionNumber(), 0x0007000200020001ULL);
        EXPECT_EQ(info.GetProductName(), "Quillon");
        EXPECT_EQ(info.GetProductVersion(), "7.02b");
        EXPECT_EQ(info.GetString("ApplicationId"), "Quillon7");
    }
}

// Both programs carry their own icon at the sizes desktops use, as the first icon the shell shows.
TEST(MainProgram, EachProgramCarriesItsOwnIconAtEverySize) {
    std::vector<std::vector<std::byte>> largest;
    for (const char* program : {"quillon", "uninstall"}) {
        SCOPED_TRACE(program);
        const auto pictures = platform::shell::first_icon_pictures(built(program));
        std::vector<int> sizes;
        for (const auto& picture : pictures) {
            sizes.push_back(picture.size);
        }
        EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 64, 128, 256}));
        if (!pictures.empty()) {
            largest.push_back(pictures.back().png);
        }
    }
    ASSERT_EQ(largest.size(), 2u);
    EXPECT_NE(largest[0], largest[1]);
}

// Whether the program finds a display is up to the test, not to the machine that runs it.
class DisplayChoice {
protected:
    explicit DisplayChoice(const char* platform) : m_platform("QT_QPA_PLATFORM", platform) {}

private:
    test_support::scoped_env m_display{"DISPLAY", nullptr};
    test_support::scoped_env m_wayland{"WAYLAND_DISPLAY", nullptr};
    test_support::scoped_env m_platform;
};

class RunningProgram : public test_support::sandbox_test, DisplayChoice {
protected:
    RunningProgram() : DisplayChoice(nullptr) {}
};

// However the session ends, the count the program held is given back.
TEST_F(RunningProgram, HoldsOneCountWhileItRuns) {
    enum class ending { input_closed, quit_typed, terminated };
    for (const ending how : {ending::input_closed, ending::quit_typed, ending::terminated}) {
        SCOPED_TRACE(static_cast<int>(how));
        ASSERT_EQ(running_count(), 0);
        product_test::piped_program program(built("quillon"));
        ASSERT_TRUE(program.started());
        EXPECT_NE(program.read_line().find("is running"), std::string::npos);
        EXPECT_EQ(running_count(), 1);
        EXPECT_FALSE(program.wait(std::chrono::milliseconds(100))) << "it waits for its session to end";

        switch (how) {
            case ending::input_closed:
                program.close_input();
                break;
            case ending::quit_typed:
                program.write("draw\nquit\n");
                break;
            case ending::terminated:
                ::kill(program.id(), SIGTERM);
                break;
        }
        EXPECT_EQ(program.wait(), 0);
        EXPECT_EQ(running_count(), 0);
    }
}

// As a desktop launcher or a script starts it: its input ends at once or after a few lines.
TEST_F(RunningProgram, EndsWhenInputFromAFileEnds) {
    const fs::path typed = machine.temp() / "typed";
    const fs::path quit_typed = machine.temp() / "quit-typed";
    std::ofstream(typed.string()) << "draw\nerase\n";
    std::ofstream(quit_typed.string()) << "draw\nquit\nnever read\n";
    for (const fs::path& input : {fs::path("/dev/null"), typed, quit_typed}) {
        SCOPED_TRACE(input.string());
        product_test::piped_program program(built("quillon"), {}, input);
        ASSERT_TRUE(program.started());
        EXPECT_NE(program.read_line().find("Quillon 7.02b is running"), std::string::npos);
        EXPECT_EQ(program.wait(std::chrono::seconds(10)), 0);
        EXPECT_EQ(running_count(), 0);
    }
}

TEST_F(RunningProgram, TwoInstancesHoldTwoCounts) {
    product_test::piped_program first(built("quillon"));
    product_test::piped_program second(built("quillon"));
    first.read_line();
    second.read_line();
    EXPECT_EQ(running_count(), 2);
    first.close_input();
    EXPECT_EQ(first.wait(), 0);
    EXPECT_EQ(running_count(), 1);
}

// Whether the process has mapped the library, within a few seconds.
bool loads_library(pid_t process, const std::string& library) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        if (text_of("/proc/" + std::to_string(process) + "/maps").find(library) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

class ProgramOnADisplay : public test_support::sandbox_test, DisplayChoice {
protected:
    ProgramOnADisplay() : DisplayChoice("offscreen") {}
};

// Its window, not its input, decides how long it runs; a signal still ends it through its way out.
TEST_F(ProgramOnADisplay, RunsUntilItsWindowClosesWhateverItsInput) {
    product_test::piped_program program(built("quillon"), {}, "/dev/null");
    ASSERT_TRUE(program.started());
    EXPECT_NE(program.read_line().find("Quillon 7.02b is running"), std::string::npos);
    EXPECT_FALSE(program.wait(std::chrono::milliseconds(500))) << "ended with its input";
    EXPECT_TRUE(loads_library(program.id(), "libqoffscreen.so")) << "no window system in use";
    EXPECT_EQ(running_count(), 1);
    ::kill(program.id(), SIGTERM);
    EXPECT_EQ(program.wait(), 0);
    EXPECT_EQ(running_count(), 0);
}

// A display that is named but cannot be reached is said in one line; the program then runs as it does
// without a display, instead of being aborted by the window system.
TEST_F(RunningProgram, AnUnreachableDisplayIsSaidAndTheConsoleSessionRuns) {
    const test_support::scoped_env display("DISPLAY", ":97");
    const fs::path errors = machine.temp() / "errors";
    const std::string command = built("quillon").string() + " </dev/null >/dev/null 2>" + errors.string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(text_of(errors), "quillon: no window, as the X display \":97\" cannot be reached\n");
}

class Registration : public test_support::sandbox_test {};

TEST_F(Registration, RegistersTheDocumentTypeAndAnswersMinusTen) {
    EXPECT_EQ(run_quillon("/Register /Background"), -10);

    const std::string program = fs::canonical(built("quillon")).string();
    EXPECT_EQ(class_string(".qln"), "Vintrel.Quillon7");
    EXPECT_EQ(class_string("Vintrel.Quillon7\\shell\\open\\command"), "\"" + program + "\" \"%1\"");
    EXPECT_EQ(class_string("Vintrel.Quillon7\\DefaultIcon"), program + ",0");
    EXPECT_EQ(class_string("Vintrel.Quillon7", "PreviousVersion"), std::nullopt);

    const fs::path share = *platform::shell::special_folder(platform::shell::csidl::common_startmenu);
    const std::string mime = text_of(share / "mime" / "packages" / "vintrel-quillon7.xml");
    EXPECT_NE(mime.find("<glob pattern=\"*.qln\"/>"), std::string::npos);
    EXPECT_NE(mime.find("<generic-icon name=\"x-office-document\"/>"), std::string::npos);
    const std::string entry = text_of(share / "applications" / "vintrel-quillon7.desktop");
    EXPECT_NE(entry.find("Exec=" + program + " %f\n"), std::string::npos);
    EXPECT_NE(entry.find("MimeType=application/x-vintrel-quillon;\n"), std::string::npos);
    EXPECT_NE(entry.find("StartupWMClass=quillon\n"), std::string::npos);
    EXPECT_NE(entry.find("Categories=Office;WordProcessor;\n"), std::string::npos);

    // The program's first icon, as its own and as its documents' icon.
    const std::string icon = platform::shell::program_icon_name(program);
    EXPECT_NE(entry.find("Icon=" + icon + "\n"), std::string::npos) << entry;
    const fs::path theme = share / "icons" / "hicolor";
    for (const auto& picture : platform::shell::first_icon_pictures(program)) {
        const std::string size = std::to_string(picture.size) + "x" + std::to_string(picture.size);
        const std::string png(reinterpret_cast<const char*>(picture.png.data()), picture.png.size());
        EXPECT_EQ(text_of(theme / size / "apps" / (icon + ".png")), png) << size;
        EXPECT_EQ(text_of(theme / size / "mimetypes" / "application-x-vintrel-quillon.png"), png) << size;
    }
}

TEST_F(Registration, AnUpdateRecordsTheVersionItReplaces) {
    EXPECT_EQ(run_quillon("/register /background /update=0007000200010005"), -10);
    EXPECT_EQ(class_string("Vintrel.Quillon7", "PreviousVersion"), "7.2.1.5");
}

TEST_F(Registration, MalformedArgumentsRegisterNothing) {
    for (const char* arguments :
         {"/Register /Background /update=7.2.1.5", "/Register /Background /update=00070002000100050",
          "/Register /Background /update=000700020001000g", "/Register /Quietly"}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(run_quillon(arguments), 2);
        EXPECT_EQ(class_string(".qln"), std::nullopt);
    }
}

// A registry it cannot write is a failure the installer must see, never -10.
TEST_F(Registration, AFailedRegistrationIsNotReportedAsSuccess) {
    const fs::path registry_folder = machine.root() / "var" / "lib" / "quillon-registry";
    fs::create_directories(registry_folder.parent_path());
    std::ofstream(registry_folder.string()) << "not a folder";
    EXPECT_EQ(run_quillon("/Register /Background"), 1);
}

}  // namespace
