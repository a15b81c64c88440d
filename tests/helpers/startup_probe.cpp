// A small program the start-up tests run as a real second installer or a running product. It carries
// the installer's resources, so its application id is the installer's.
//   session REPORT                  runs start-up with scripted message boxes (default answers);
//                                   reports the outcome, the folders and every box; exit 0 when
//                                   start-up completed, 3 when a check stopped it
//   unchecked-session REPORT        the same without the processor check having run
//   language REPORT                 runs the process guards as the installer does (scripted message
//                                   boxes), then reports the language start-up chooses
//   hold-mutex READY                takes the installer mutex, writes READY, then waits to be killed
//   hold-count READY UNTIL          counts itself as running, writes READY, waits for UNTIL (a minute
//                                   at most) and ends normally
// Reports are written whole (through a rename), one field per line.
#include "platform/ui/message_box.hpp"
#include "startup/application_id.hpp"
#include "startup/install_app.hpp"
#include "startup/instance_counter.hpp"
#include "startup/instance_mutex.hpp"
#include "startup/language_catalogue.hpp"
#include "startup/process_guards.hpp"

#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace fs = boost::filesystem;

namespace {

void WriteWhole(const std::string& file, const std::string& text) {
    const std::string partial = file + ".partial";
    std::ofstream(partial, std::ios::binary) << text;
    fs::rename(partial, file);
}

int RunSession(const std::string& report, bool checkProcessor) {
    if (checkProcessor) {
        CheckProcessor();
    }
    platform::ui::message_box_script script;
    bool started = false;
    std::string text;
    {
        CInstallApp app;
        started = app.StartSession();
        text += std::string(started ? "started" : "stopped") + "\n" + app.m_strInstallFolder + "\n" +
                app.m_strStartMenuFolder + "\n";
    }
    for (const auto& box : script.records()) {
        text += box.caption + "\n" + std::to_string(box.type) + "\n" + box.text + "\n";
    }
    WriteWhole(report, text);
    return started ? 0 : 3;
}

int ReportLanguage(const std::string& report) {
    const platform::ui::message_box_script script;
    InitializeProcess();
    WriteWhole(report, std::to_string(ChooseLanguage(ProductLanguageMask)) + "\n");
    return 0;
}

int HoldMutex(const std::string& ready) {
    InstanceMutex mutex(InstallerMutexName(GetApplicationId()), false, true);
    if (!mutex.TryAcquire()) {
        return 4;
    }
    WriteWhole(ready, "owned\n");
    for (;;) {
        pause();
    }
}

int HoldCount(const std::string& ready, const std::string& until) {
    if (GetInstanceCounter().held != 1) {
        return 4;
    }
    WriteWhole(ready, "counted\n");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!fs::exists(until) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if ((command == "session" || command == "unchecked-session") && argc == 3) {
        return RunSession(argv[2], command == "session");
    }
    if (command == "language" && argc == 3) {
        return ReportLanguage(argv[2]);
    }
    if (command == "hold-mutex" && argc == 3) {
        return HoldMutex(argv[2]);
    }
    if (command == "hold-count" && argc == 4) {
        return HoldCount(argv[2], argv[3]);
    }
    std::fprintf(stderr,
                 "usage: startup-probe [unchecked-]session REPORT | language REPORT | hold-mutex READY | hold-count "
                 "READY UNTIL\n");
    return 2;
}
