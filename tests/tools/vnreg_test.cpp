#include "platform/registry/key.hpp"

#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace reg = platform::registry;

namespace {

struct run_result {
    int exit_code = -1;
    std::string output;
};

run_result vnreg(const std::string& arguments) {
    const std::string command = QUILLON_BINARY_DIR "/bin/vnreg " + arguments + " 2>/dev/null";
    run_result result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        return result;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        result.output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class VnregTool : public test_support::sandbox_test {
protected:
    void SetUp() override {
        const reg::Key vintrel = reg::Key::create(reg::hive::local_machine, "Software\\Vintrel")->key;
        ASSERT_FALSE(vintrel.set_string("Quillon 7 Path", "/opt/Vintrel/Quillon 7/quillon"));
        ASSERT_FALSE(vintrel.set_dword("VnLanguage", 10));
        ASSERT_FALSE(vintrel.create("Sub")->key.set_string("", "deep"));
        ASSERT_FALSE(reg::Key::create(reg::hive::current_user, "Software")->key.set_dword("user", 1));
    }
};

TEST_F(VnregTool, QueryPrintsTheValuesOfAKeyWrittenByATest) {
    const auto r = vnreg("query 'HKLM\\software\\vintrel'");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output,
              "HKEY_LOCAL_MACHINE\\software\\vintrel\n"
              "    \"Quillon 7 Path\" = REG_SZ \"/opt/Vintrel/Quillon 7/quillon\" (62 bytes)\n"
              "    \"VnLanguage\" = REG_DWORD 0x0000000a (10)\n"
              "HKEY_LOCAL_MACHINE\\software\\vintrel\\Sub\n");

    const auto one = vnreg("query 'HKEY_LOCAL_MACHINE\\Software\\Vintrel' vnlanguage");
    EXPECT_EQ(one.exit_code, 0);
    EXPECT_EQ(one.output, "HKEY_LOCAL_MACHINE\\Software\\Vintrel\n    \"vnlanguage\" = REG_DWORD 0x0000000a (10)\n");
}

TEST_F(VnregTool, DumpPrintsEveryKeyBelow) {
    const auto r = vnreg("dump 'HKLM\\Software'");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output,
              "HKEY_LOCAL_MACHINE\\Software\n"
              "HKEY_LOCAL_MACHINE\\Software\\Vintrel\n"
              "    \"Quillon 7 Path\" = REG_SZ \"/opt/Vintrel/Quillon 7/quillon\" (62 bytes)\n"
              "    \"VnLanguage\" = REG_DWORD 0x0000000a (10)\n"
              "HKEY_LOCAL_MACHINE\\Software\\Vintrel\\Sub\n"
              "    (default) = REG_SZ \"deep\" (10 bytes)\n");
    const auto all = vnreg("dump");
    EXPECT_EQ(all.exit_code, 0);
    EXPECT_NE(all.output.find("HKEY_CURRENT_USER\\Software\n    \"user\" = REG_DWORD"), std::string::npos)
        << all.output;
}

TEST_F(VnregTool, ExitCodesTellNotFoundFromWrongUsage) {
    const struct {
        const char* arguments;
        int exit_code;
    } cases[] = {
        {"query 'HKLM\\Software\\Nothing'", 1},
        {"query 'HKLM\\Software\\Vintrel' Nothing", 1},
        {"dump 'HKCU\\Nothing'", 1},
        {"", 2},
        {"query", 2},
        {"query 'HKEY_NOWHERE\\Software'", 2},
        {"query HKLM a b", 2},
        {"list HKLM", 2},
    };
    for (const auto& c : cases) {
        const auto r = vnreg(c.arguments);
        EXPECT_EQ(r.exit_code, c.exit_code) << c.arguments;
        EXPECT_EQ(r.output, "") << c.arguments;
    }
    std::ofstream(reg::hive_file(reg::hive::local_machine).string(), std::ios::trunc) << "not a database";
    EXPECT_EQ(vnreg("query HKLM").exit_code, 3);
}

}  // namespace
