// Whole installations of the built product's payload on the sandbox machine: the payload and the
// manifest it was packed from, where each entry lands, and the session of a later installer that
// finds this installation as start-up would.
#pragma once

#include "engine/installation_run.hpp"
#include "engine_fixture.hpp"
#include "manifest.hpp"
#include "payload/vn/memstream.hpp"
#include "platform/registry/key.hpp"
#include "platform/resources/resource_table.hpp"
#include "platform/text/utf_convert.hpp"
#include "platform/ui/message_box.hpp"
#include "platform/version/version_block.hpp"
#include "startup/application_id.hpp"
#include "startup/instance_counter.hpp"
#include "startup/process_guards.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/crc.hpp>
#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

class InstallationTest : public EngineTest {
protected:
    static constexpr int kPayloadEntries = 71;
    // The shortcuts' icon files the log lists: the main program's and the uninstaller's at seven sizes
    // in the machine's theme (the menu entries), the main program's in the user's (the desktop one).
    static constexpr int kShortcutIconFiles = 3 * 7;

    // A machine with DirectX 9.0c, whose desktop has built its (empty) desktop-entry caches.
    InstallationTest() {
        RecordDirectXVersion("4.09.00.0904");
        for (const auto& data : {machine.root() / "usr/local/share", UserData()}) {
            WriteFile(data / "applications/mimeinfo.cache", "[MIME Cache]\n");
        }
    }

    static const std::string& ProductPayload() {
        static const std::string bytes = ReadFile(QUILLON_BINARY_DIR "/product/payload.bz2");
        return bytes;
    }
    static const std::vector<vnpack::manifest_entry>& Manifest() {
        static const auto entries = vnpack::read_manifest_file(QUILLON_BINARY_DIR "/product/payload/payload.manifest");
        return entries;
    }

    bool Install(const std::string& payloadBytes = ProductPayload()) {
        vn::imemstream source(payloadBytes.data(), payloadBytes.size());
        return RunInstallationFrom(*app, page, source);
    }

    // Where a manifest entry is installed (the temporary ones: in the run's temporary folder).
    boost::filesystem::path Destination(const vnpack::manifest_entry& entry) const {
        std::string folder = entry.folder;
        for (char& c : folder) {
            c = c == '\\' ? '/' : c;
        }
        const std::pair<std::string, boost::filesystem::path> tokens[] = {
            {"<InstallPath>", app->m_strInstallFolder},
            {"<CommonData>", CommonData()},
            {"<UserData>", UserData()},
            {"<SamplePath>", Desktop() / "Quillon Examples"},
            {"<Temporary>", app->m_strTempFolder}};
        for (const auto& [token, base] : tokens) {
            if (folder.rfind(token, 0) == 0) {
                return base / folder.substr(token.size()) / entry.source_file.filename();
            }
        }
        ADD_FAILURE() << "unknown folder " << entry.folder;
        return {};
    }

    static std::uint32_t Crc32(const std::string& bytes) {
        boost::crc_32_type crc;
        crc.process_bytes(bytes.data(), bytes.size());
        return crc.checksum();
    }

    static void RecordDirectXVersion(const std::string& version) {
        auto key =
            platform::registry::Key::create(platform::registry::hive::local_machine, "Software\\Microsoft\\DirectX");
        ASSERT_TRUE(key);
        ASSERT_FALSE(key->key.set_string("Version", version));
    }

    // The system's own Uninstall key, as every system has it.
    static void CreateSystemUninstallKey() {
        ASSERT_TRUE(platform::registry::Key::create(platform::registry::hive::local_machine, kUninstallKeyParent));
    }

    boost::filesystem::path InstalledLog() const {
        return boost::filesystem::path(app->m_strInstallFolder) / "Uninstall.ulog";
    }

    // The installed uninstall log's text (UTF-16 in the file).
    std::string InstalledLogText() const {
        const std::string bytes = ReadFile(InstalledLog());
        const std::string_view afterMark = std::string_view(bytes).substr(std::min<std::size_t>(2, bytes.size()));
        return platform::text::utf16_to_utf8(platform::text::utf16le_units(afterMark));
    }

    // A new installer started on this machine: start-up finds the installed product and its version,
    // reads its log and reuses its folders. False when start-up stopped.
    bool StartNextSession() {
        app.reset();
        page = RecordingPage();
        if (!m_runningInstances) {
            m_runningInstances.emplace(GetApplicationId());  // this process, as the installer
        }
        app = std::make_unique<CInstallApp>(&*m_runningInstances);
        CheckProcessor();
        const platform::ui::message_box_script noQuestions;
        const bool started = app->StartSession();
        for (const auto& box : noQuestions.records()) {
            ADD_FAILURE() << "start-up asked: " << box.text;
        }
        return started;
    }

    // Gives the installed main program another file version, as an installation of that version
    // would have left it.
    void SetInstalledVersion(std::uint32_t ms, std::uint32_t ls) const {
        platform::version::version_resource version;
        version.fixed.emplace();
        version.fixed->dwFileVersionMS = ms;
        version.fixed->dwFileVersionLS = ls;
        version.string_tables = {{"040904b0", {{"ProductName", "Quillon"}}}};
        version.translations = {{0x0409, 1200}};
        const auto block = platform::version::build_version_block(version);
        const boost::filesystem::path file = machine.temp() / "version.res";
        WriteFile(file, std::string(reinterpret_cast<const char*>(block.data()), block.size()));
        const std::string command = std::string(QUILLON_BINARY_DIR "/bin/vnres replace '") +
                                    (boost::filesystem::path(app->m_strInstallFolder) / "quillon").string() + "' " +
                                    std::to_string(platform::resources::rt_version) + " 1 " + file.string();
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        boost::filesystem::remove(file);
    }

    // The run's log lines after the separator, each a step text and its outcome.
    std::vector<std::string> StepLines() const {
        auto lines = page.LogLines();
        EXPECT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "<dashes:>");
        std::vector<std::string> steps;
        for (const auto& line : lines) {
            if (line.rfind("Copying File", 0) != 0 && line != "<dashes:>") {
                steps.push_back(line);
            }
        }
        return steps;
    }
    int CopyingLines() const {
        int count = 0;
        for (const auto& line : page.LogLines()) {
            count += line.rfind("Copying File  ", 0) == 0 && line.size() > 5 && line.substr(line.size() - 5) == "...OK";
        }
        return count;
    }

    std::optional<InstanceCounter> m_runningInstances;

    // The DirectX step's text: untranslated but in French.
    static std::string DirectXText() { return "Mise \u00e0 jour de DirectX..."; }
};
