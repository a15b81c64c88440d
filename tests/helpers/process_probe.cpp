// A small program the platform tests start as a real second process. Each command does one thing a
// test needs from another process:
//   exit CODE                          ends with exit(CODE)
//   sleep MS                           sleeps, then ends with 0
//   report FILE                        writes its folder, nice value, QUILLON_PROBE_MARK, the number
//                                      of descriptors beyond the standard streams, and argv
//   hold-mutex NAME REPORT UNTIL MODE  takes the mutex, reports, waits for UNTIL, then releases it
//                                      (MODE release) or ends owning it (MODE keep)
//   hold-count NAME REPORT UNTIL       adds a count to the semaphore, reports, waits for UNTIL and
//                                      takes the count back
//   churn-mutex NAME INSIDE TIMES GO   waits for GO, then TIMES over: opens the mutex, takes it,
//                                      creates the file INSIDE (ends with 3 when it is there: another
//                                      owner at the same time), removes it, releases and closes it
//   as-user UID COMMAND...             runs the command under another account (needs root)
// Reports are written whole (through a rename), NUL-separated fields. A probe never waits longer
// than a minute for its UNTIL file, so a failed test leaves nothing running.
#include "platform/sync/named_mutex.hpp"
#include "platform/sync/named_semaphore.hpp"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace sync = platform::sync;
using namespace std::chrono_literals;

void write_report(const std::string& file, const std::vector<std::string>& fields) {
    const std::string part = file + ".part";
    {
        std::ofstream out(part, std::ios::binary);
        for (const auto& field : fields) {
            out << field << '\0';
        }
    }
    std::rename(part.c_str(), file.c_str());
}

int inherited_descriptors() {
    int count = 0;
    for (int fd = 3; fd < 1024; ++fd) {
        count += fcntl(fd, F_GETFD) != -1 ? 1 : 0;
    }
    return count;
}

void wait_for(const std::string& file) {
    const auto limit = std::chrono::steady_clock::now() + 60s;
    while (!boost::filesystem::exists(file) && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(5ms);
    }
}

int run(std::vector<std::string> args) {
    const std::string command = args.empty() ? "" : args[0];
    if (command == "exit" && args.size() == 2) {
        return std::atoi(args[1].c_str());
    }
    if (command == "sleep" && args.size() == 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(args[1].c_str())));
        return 0;
    }
    if (command == "as-user" && args.size() >= 3) {
        const auto id = static_cast<uid_t>(std::atoi(args[1].c_str()));
        if (setgroups(0, nullptr) != 0 || setresgid(id, id, id) != 0 || setresuid(id, id, id) != 0) {
            return 99;
        }
        return run({args.begin() + 2, args.end()});
    }
    if (command == "hold-mutex" && args.size() == 5) {
        auto mutex = sync::named_mutex::create(args[1], false, sync::object_security::everyone(sync::mutex_all_access));
        const auto result = mutex.wait(0ms);
        write_report(args[2], {std::to_string(mutex.last_error()), std::to_string(static_cast<std::uint32_t>(result))});
        if (result == sync::wait_result::object_0 || result == sync::wait_result::abandoned) {
            wait_for(args[3]);
            if (args[4] == "release") {
                mutex.release();
            }
        }
        return 0;
    }
    if (command == "churn-mutex" && args.size() == 5) {
        wait_for(args[4]);
        for (int i = std::atoi(args[3].c_str()); i > 0; --i) {
            auto mutex =
                sync::named_mutex::create(args[1], false, sync::object_security::everyone(sync::mutex_all_access));
            const auto taken = mutex.wait(60s);
            if (taken != sync::wait_result::object_0 && taken != sync::wait_result::abandoned) {
                return 4;
            }
            const int inside = ::open(args[2].c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (inside < 0) {
                return 3;
            }
            ::close(inside);
            ::unlink(args[2].c_str());
            mutex.release();
        }
        return 0;
    }
    if (command == "hold-count" && args.size() == 4) {
        auto counter = sync::named_semaphore::create(args[1], 0, 0x7FFFFFFF,
                                                     sync::object_security::everyone(sync::semaphore_all_access));
        const auto added = counter.release(1);
        write_report(args[2], {std::to_string(counter.last_error()), std::to_string(added.error)});
        wait_for(args[3]);
        counter.wait(0ms);
        return 0;
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "report") {
        const char* mark = std::getenv("QUILLON_PROBE_MARK");
        std::vector<std::string> fields{boost::filesystem::current_path().string(),
                                        std::to_string(getpriority(PRIO_PROCESS, 0)), mark ? mark : "<unset>",
                                        std::to_string(inherited_descriptors())};
        fields.insert(fields.end(), argv, argv + argc);
        write_report(argv[2], fields);
        return 0;
    }
    return run({argv + 1, argv + argc});
}
