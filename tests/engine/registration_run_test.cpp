#include "engine/registration_run.hpp"

#include "engine_fixture.hpp"
#include "identity/product_identity.hpp"

#include <gtest/gtest.h>

namespace fs = boost::filesystem;

namespace {

TEST(RegistrationCommandLine, QuotesAPathWithBlanksAndNamesThePreviousVersion) {
    const struct {
        const char* path;
        std::uint64_t previous;
        const char* commandLine;
    } cases[] = {
        {"/opt/Vintrel/Quillon 7/quillon", 0, "\"/opt/Vintrel/Quillon 7/quillon\" /Register /Background"},
        {"/opt/quillon/quillon", 0, "/opt/quillon/quillon /Register /Background"},
        {"/opt/q/quillon", PackVersion(7, 2, 1, 5), "/opt/q/quillon /Register /Background /update=0007000200010005"},
        {"/opt/q/quillon", PackVersion(0xABCD, 0xEF01, 0, 0xFFFF),
         "/opt/q/quillon /Register /Background /update=abcdef010000ffff"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegistrationCommandLine(c.path, c.previous), c.commandLine);
    }
}

class RegistrationRun : public EngineTest {
protected:
    // The run puts aside the caches it may change, as an installation does, in its temporary folder.
    RegistrationRun() { app->m_uninstallLog.backupFolder = machine.temp(); }

    // A program that notes its arguments and folder, and ends with the exit status given.
    fs::path Program(int exitStatus) const {
        const fs::path program = machine.root() / "opt/Some Vendor/program";
        WriteFile(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > ../arguments\npwd > ../folder\nexit " +
                               std::to_string(exitStatus) + "\n");
        fs::permissions(program, fs::owner_all);
        return program;
    }
};

TEST_F(RegistrationRun, RunsTheProgramAndTakesOnlyMinusTenForSuccess) {
    app->m_nPreviousVersion = PackVersion(7, 2, 1, 5);
    const struct {
        int exitStatus;  // as the program ends; -10 is 246 in eight bits
        bool succeeded;
        std::int32_t exitCode;
    } cases[] = {{246, true, -10}, {0, false, 0}, {1, false, 1}, {10, false, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exitStatus);
        app->m_uninstallLog.entries.clear();
        const fs::path program = Program(c.exitStatus);

        const RegistrationOutcome outcome = RunRegistration(*app, program.string());

        EXPECT_TRUE(outcome.started);
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_EQ(outcome.Succeeded(), c.succeeded);
        EXPECT_EQ(ReadFile(program.parent_path().parent_path() / "arguments"),
                  "/Register\n/Background\n/update=0007000200010005\n");
        EXPECT_EQ(ReadFile(program.parent_path().parent_path() / "folder"), program.parent_path().string() + "\n");
        ASSERT_EQ(app->m_uninstallLog.entries.size(), 1u);
        EXPECT_EQ(app->m_uninstallLog.entries.back().kind, UninstallLogEntry::RegistrationRun);
        EXPECT_EQ(app->m_uninstallLog.entries.back().done, c.succeeded);
        EXPECT_FALSE(app->m_uninstallLog.HasPendingChange());
        EXPECT_TRUE(app->m_instanceMutex.owned);
    }
}

TEST_F(RegistrationRun, AProgramThatDoesNotStartIsAFailedRun) {
    for (const std::string& path : {(machine.root() / "opt/missing").string(), std::string()}) {
        app->m_uninstallLog.entries.clear();
        const RegistrationOutcome outcome = RunRegistration(*app, path);
        EXPECT_FALSE(outcome.started);
        EXPECT_FALSE(outcome.Succeeded());
        ASSERT_EQ(app->m_uninstallLog.entries.size(), 1u);
        EXPECT_FALSE(app->m_uninstallLog.entries.back().done);
        EXPECT_FALSE(app->m_uninstallLog.HasPendingChange());
        EXPECT_TRUE(app->m_instanceMutex.owned);
    }
}

}  // namespace
