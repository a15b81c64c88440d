#include "payload/find_payload.hpp"
#include "archive_format.hpp"
#include "payload/verify_payload.hpp"
#include "platform/resources/resource_module.hpp"
#include "support/file_content.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = boost::filesystem;

namespace {

// Set in a copy of this program that carries a payload: the file holding the expected bytes.
constexpr const char* expected_payload_variable = "QUILLON_TEST_EXPECTED_PAYLOAD";

using test_support::read_file;
using test_support::write_file;

int run(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Checks find_payload against the expected bytes, in the copy of this program that carries them.
void check_own_payload(const fs::path& expected_file) {
    const std::string expected = read_file(expected_file);
    auto source = payload::find_payload();
    EXPECT_TRUE(source.good());
    if (expected.empty()) {
        EXPECT_EQ(source.rdbuf()->sgetc(), std::char_traits<char>::eof());
        return;
    }
    const auto resource = platform::resources::resource_module::self().find(260, 134);
    ASSERT_TRUE(resource);
    EXPECT_EQ(static_cast<const void*>(source.rdbuf()->data()), static_cast<const void*>(resource->data()));
    EXPECT_EQ(std::string(source.rdbuf()->data(), source.rdbuf()->size()), expected);
    EXPECT_TRUE(payload::verify_payload(source));
    EXPECT_EQ(source.rdbuf()->sgetc(), std::char_traits<char>::eof());
}

}  // namespace

TEST(FindPayload, ReadsTheProgramsOwnResourceInPlace) {
    if (const char* expected = std::getenv(expected_payload_variable)) {
        check_own_payload(expected);
        return;
    }
    // This program carries no payload: the stream is empty.
    auto none = payload::find_payload();
    EXPECT_TRUE(none.good());
    EXPECT_EQ(none.rdbuf()->sgetc(), std::char_traits<char>::eof());

    const fs::path dir = fs::temp_directory_path() / fs::unique_path("find-payload-%%%%-%%%%");
    fs::create_directories(dir);
    const std::string payload = vnpack::bzip2_compress(vnpack::build_archive({{"a.txt", "<InstallPath>", 0, "abc"}}));
    for (const std::string& bytes : {payload, std::string()}) {
        SCOPED_TRACE(bytes.size());
        const fs::path program = dir / "program";
        const fs::path expected = dir / "expected";
        fs::remove(program);
        fs::copy_file("/proc/self/exe", program);
        write_file(expected, bytes);
        ASSERT_EQ(run(QUILLON_BINARY_DIR "/bin/vnres replace " + program.string() + " 260 134 " + expected.string()),
                  0);
        EXPECT_EQ(run(std::string(expected_payload_variable) + "=" + expected.string() + " " + program.string() +
                      " --gtest_filter=FindPayload.ReadsTheProgramsOwnResourceInPlace >/dev/null 2>&1"),
                  0);
    }
    fs::remove_all(dir);
}
