#include "engine/directx_runtime.hpp"

#include "installation_fixture.hpp"

#include <gtest/gtest.h>

namespace fs = boost::filesystem;

namespace {

// The runtime step on the redistributable as the extraction leaves it in the temporary folder.
class DirectXStep : public InstallationTest {
protected:
    DirectXStep() {
        app->m_strTempFolder = (machine.temp() / "run").string();
        fs::create_directories(app->m_strTempFolder);
        fs::copy_file(QUILLON_BINARY_DIR "/bin/DSETUP.dll", fs::path(app->m_strTempFolder) / "DSETUP.dll");
        for (const char* cab :
             {"dxdllreg_x86.cab", "dxupdate.cab", "Jun2010_D3DCompiler_43_x86.cab", "Jun2010_d3dx9_43_x86.cab"}) {
            WriteFile(fs::path(app->m_strTempFolder) / cab, cab);
        }
    }
};

TEST_F(DirectXStep, RunsUnlessThePreviousInstallationDidOrTheSystemCannotTakeIt) {
    const struct {
        const char* name;
        PreviousInstallStatus previousInstall;
        bool previousDone;  // the previous log records a successful setup
        const char* systemVersion;
        DirectXStepOutcome outcome;
    } cases[] = {
        {"first installation", PreviousNone, false, "4.09.00.0904", DirectXStepOutcome::Succeeded},
        {"reinstallation after a setup", PreviousSame, true, "4.09.00.0904", DirectXStepOutcome::Succeeded},
        {"update after a setup", PreviousOlder, true, "4.09.00.0904", DirectXStepOutcome::SetUpBefore},
        {"update after a failed setup", PreviousOlder, false, "4.09.00.0904", DirectXStepOutcome::Succeeded},
        {"lowest revision it extends", PreviousNone, false, "4.09.00.0903", DirectXStepOutcome::Succeeded},
        {"DirectX older than 9.0c", PreviousNone, false, "4.09.00.0902", DirectXStepOutcome::NoUsableLibrary},
        {"no DirectX recorded", PreviousNone, false, "", DirectXStepOutcome::NoUsableLibrary},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        page = RecordingPage();
        app->m_uninstallLog.entries.clear();
        app->m_uninstallLog.previousEntries.clear();
        app->m_nPreviousInstall = c.previousInstall;
        UninstallLogEntry& previous = app->m_uninstallLog.previousEntries.emplace_back();
        previous.kind = UninstallLogEntry::DirectXRuntime;
        previous.done = c.previousDone;
        RecordDirectXVersion(c.systemVersion);

        EXPECT_EQ(SetUpDirectXRuntime(*app, page), c.outcome);

        if (c.outcome != DirectXStepOutcome::Succeeded) {
            EXPECT_EQ(page.log, "");
            EXPECT_TRUE(page.statusTexts.empty());
            EXPECT_TRUE(app->m_uninstallLog.entries.empty());
            continue;
        }
        EXPECT_EQ(page.log, DirectXText() + "OK\r\n");
        EXPECT_EQ(page.Status(), DirectXText());
        ASSERT_EQ(app->m_uninstallLog.entries.size(), 1u);
        EXPECT_EQ(app->m_uninstallLog.entries.back().kind, UninstallLogEntry::DirectXRuntime);
        EXPECT_TRUE(app->m_uninstallLog.entries.back().done);
        EXPECT_EQ(app->m_uninstallLog.entries.back().path, DirectXText());
        EXPECT_TRUE(fs::is_regular_file(machine.root() / "usr/lib/directx/dxupdate.cab"));
    }
}

TEST_F(DirectXStep, AFailedSetupIsRecordedNotDone) {
    fs::remove(fs::path(app->m_strTempFolder) / "dxupdate.cab");  // the setup misses a component
    EXPECT_EQ(SetUpDirectXRuntime(*app, page), DirectXStepOutcome::Failed);
    EXPECT_EQ(page.log, DirectXText() + "Failed\r\n");
    ASSERT_EQ(app->m_uninstallLog.entries.size(), 1u);
    EXPECT_FALSE(app->m_uninstallLog.entries.back().done);
    EXPECT_FALSE(app->m_uninstallLog.HasPendingChange());
}

TEST_F(DirectXStep, IsSilentWithoutAUsableLibrary) {
    for (const char* content : {"", "not a library"}) {
        fs::remove(fs::path(app->m_strTempFolder) / "DSETUP.dll");
        if (*content != '\0') {
            WriteFile(fs::path(app->m_strTempFolder) / "DSETUP.dll", content);
        }
        EXPECT_FALSE(DirectXRuntime(app->m_strTempFolder));
        EXPECT_EQ(SetUpDirectXRuntime(*app, page), DirectXStepOutcome::NoUsableLibrary);
        EXPECT_EQ(page.log, "");
        EXPECT_TRUE(app->m_uninstallLog.entries.empty());
    }
}

}  // namespace
