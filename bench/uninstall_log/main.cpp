// Measures what merging a previous log costs next to reading and writing a log of the same size.
// Prints ratios taken in one run, so that the machine's speed cancels out; each side is the best of
// a few rounds, so that a slow moment of a busy machine decides nothing.
//
//   bench_uninstall_log [ENTRIES]     (20000 by default)
#include "uninstall_log/log_merge.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fs = boost::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::list<UninstallLogEntry> MakeEntries(const fs::path& base, int count, const char* prefix) {
    std::list<UninstallLogEntry> entries;
    for (int i = 0; i < count; ++i) {
        UninstallLogEntry e;
        e.kind = UninstallLogEntry::File;
        e.path = (base / ("folder" + std::to_string(i % 97)) / (prefix + std::to_string(i) + ".dat")).string();
        e.done = true;
        e.value = i % 5;
        entries.push_back(std::move(e));
    }
    return entries;
}

constexpr int kRounds = 5;

// The shortest time of a few rounds; `prepare` runs before each round, untimed.
template <typename Prepare, typename F>
double BestSeconds(Prepare&& prepare, F&& work) {
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        prepare();
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    const fs::path dir = fs::temp_directory_path() / fs::unique_path("ulog-bench-%%%%-%%%%");
    fs::create_directories(dir);
    const fs::path log = dir / "Uninstall.ulog";

    UninstallLog written;
    written.entries = MakeEntries(dir, count, "file");
    const double readWrite = BestSeconds([] {},
                                         [&] {
                                             written.Save(log, dir.string(), dir.string());
                                             UninstallLog read;
                                             read.Read(&log);
                                         });

    // An update: this run writes the same files again. Then runs whose files all differ from the
    // previous ones (no exact match, so every path's item is looked up): in folders that are gone,
    // and as existing files (the worst case: one file-system query per path).
    const struct {
        const char* name;
        const char* prefix;
        bool existing;
    } scenarios[] = {{"same files", "file", false},
                     {"other files, folders gone", "other", false},
                     {"other files, all existing", "other", true}};
    std::printf("entries: %d, read+write of the log: %.1f ms (best of %d)\n", count, readWrite * 1000, kRounds);
    for (const auto& s : scenarios) {
        if (s.existing) {
            for (const char* prefix : {"file", "other"}) {
                for (const auto& e : MakeEntries(dir, count, prefix)) {
                    fs::create_directories(fs::path(e.path).parent_path());
                    std::FILE* f = std::fopen(e.path.c_str(), "w");
                    if (f) {
                        std::fclose(f);
                    }
                }
            }
        }
        std::list<UninstallLogEntry> previous;
        std::list<UninstallLogEntry> current;
        const double merge = BestSeconds(
            [&] {
                previous = MakeEntries(dir, count, "file");
                current = MakeEntries(dir, count, s.prefix);
            },
            [&] { MergePreviousEntries(previous, current); });
        std::printf(
            "merge of %d previous with %d new entries (%s, best of %d): %.1f ms, ratio to read+write %.3f (target <= "
            "0.5)\n",
            count, count, s.name, kRounds, merge * 1000, merge / readWrite);
    }
    fs::remove_all(dir);
    return 0;
}
