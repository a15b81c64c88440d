#include "platform/resources/resource_module.hpp"
#include "platform/resources/string_table.hpp"
#include "support/file_content.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <string>

namespace fs = boost::filesystem;
namespace res = platform::resources;

namespace {

const std::string vnres = QUILLON_BINARY_DIR "/bin/vnres";

int run(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class VnresTool : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / fs::unique_path("vnres-%%%%-%%%%");
        fs::create_directories(dir);
        program = dir / "program";
        fs::copy_file("/proc/self/exe", program);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    fs::path program;
};

}  // namespace

TEST_F(VnresTool, ReplacesAResourceAndTheProgramStillRuns) {
    for (const std::size_t size : {std::size_t{100000}, std::size_t{3}, std::size_t{9000}}) {
        const std::string payload(size, 'p');
        test_support::write_file(dir / "in", payload);
        ASSERT_EQ(run(vnres + " replace " + program.string() + " 260 134 " + (dir / "in").string()), 0);

        ASSERT_EQ(run(vnres + " extract " + program.string() + " 260 134 " + (dir / "out").string()), 0);
        EXPECT_EQ(test_support::read_file(dir / "out"), payload);
        const auto module = res::resource_module::open(program);
        ASSERT_TRUE(module);
        EXPECT_EQ(res::load_string(*module, 2000), "Installer");  // the other resources are kept
        EXPECT_EQ(run(program.string() + " --gtest_list_tests"), 0);
    }
    EXPECT_EQ(run(vnres + " list " + program.string()), 0);
}

TEST_F(VnresTool, ReportsErrorsWithoutTouchingTheFile) {
    const std::string before = test_support::read_file(program);
    EXPECT_EQ(run(vnres + " extract " + program.string() + " 260 999 " + (dir / "out").string()), 1);
    EXPECT_EQ(run(vnres + " replace " + program.string() + " 260 134 " + (dir / "missing").string()), 1);
    EXPECT_EQ(run(vnres + " list /nonexistent"), 1);
    EXPECT_EQ(run(vnres + " list /bin/sh"), 1);
    EXPECT_EQ(run(vnres + " frobnicate"), 2);
    EXPECT_EQ(test_support::read_file(program), before);
    EXPECT_FALSE(fs::exists(dir / "out"));
}
