// Measures the extraction against the reference decompressor. One run on a generated payload
// (about 28.8 MB unpacked, packed as the packer packs the product's: short first blocks, then full
// ones), each side the best of three rounds, prints:
//   - the wall time of extract_payload (decompress, write every file, read it back, check its
//     CRC-32) divided by that of "bzip2 -dc" on the same stream writing to a file; the target is at
//     most 0.75;
//   - the time of "lbzip2 -d" divided by that of "bzip2 -dc": what the machine's processors can do;
//   - the longest pause between two notifications of all rounds, the first (cold) one included,
//     which bounds how long the window waits for its messages to be dispatched; the target is under
//     50 ms.
//
//   extract_bench [--small]    (--small: a tenth of the size, for a quick look)
#include "payload/extraction.hpp"
#include "payload/vn/memstream.hpp"
#include "payload_generator.hpp"
#include "support/timed_program.hpp"

#include <boost/filesystem.hpp>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace fs = boost::filesystem;

namespace {

using clock_type = std::chrono::steady_clock;
using seconds = std::chrono::duration<double>;

constexpr std::uint64_t shipped_archive_size = 28'827'240;
constexpr int rounds = 3;

double thread_cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::string read_file(const fs::path& file) {
    std::ifstream in(file.string(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const bool small = argc == 2 && std::string(argv[1]) == "--small";
        const fs::path scratch = fs::temp_directory_path() / fs::unique_path("extract-bench-%%%%-%%%%");
        fs::create_directories(scratch);
        struct cleanup {
            fs::path dir;
            ~cleanup() { fs::remove_all(dir); }
        } remove_scratch{scratch};

        std::cout << "generating the payload..." << std::endl;
        const auto generated =
            bench::write_payload(scratch / "payload.bz2", small ? shipped_archive_size / 10 : shipped_archive_size);
        std::printf("payload: %.1f MB unpacked, %.1f MB packed\n", generated.archive_size / 1e6,
                    generated.compressed_size / 1e6);

        const auto reference = [&](const char* program) {
            return bench::best_of(rounds, [&] {
                const auto t = bench::run_program({program, "-dc", (scratch / "payload.bz2").string()},
                                                  (scratch / "reference.out").string());
                fs::remove(scratch / "reference.out");
                return t;
            });
        };
        const bench::program_timing bzip2 = reference("bzip2");
        const bench::program_timing lbzip2 = reference("lbzip2");

        // The payload is read in place, as from the program's image.
        const std::string compressed = read_file(scratch / "payload.bz2");
        auto last = clock_type::now();
        double last_cpu = thread_cpu_seconds();
        double longest_pause = 0;
        double longest_cpu_pause = 0;
        std::string longest_before;  // the notification that ended the longest pause
        std::uint64_t notifications = 0;
        std::string failure;
        payload::extract_settings settings{
            scratch / "install",
            {},
            {},
            [&](payload::notification message) {
                const auto now = clock_type::now();
                const double now_cpu = thread_cpu_seconds();
                if (seconds(now - last).count() > longest_pause) {
                    longest_pause = seconds(now - last).count();
                    longest_before =
                        "#" + std::to_string(notifications) + " (kind " + std::to_string(message.index()) + ")";
                }
                longest_cpu_pause = std::max(longest_cpu_pause, now_cpu - last_cpu);
                last = now;
                last_cpu = now_cpu;
                ++notifications;
                if (const auto* failed = std::get_if<payload::notification::failed>(&message)) {
                    failure = failed->code.message() + " " + failed->path.string();
                }
                return payload::notification::result::proceed;
            },
            {}};
        const bench::program_timing extraction = bench::best_of(rounds, [&] {
            fs::remove_all(scratch / "install");
            vn::imemstream source(compressed.data(), compressed.size());
            notifications = 0;
            last = clock_type::now();
            last_cpu = thread_cpu_seconds();
            bool extracted = false;
            const auto t = bench::time_call([&] { extracted = payload::extract_payload(source, settings); });
            if (!extracted) {
                throw std::runtime_error("the extraction failed: " + failure);
            }
            return t;
        });

        std::printf("bzip2 -dc: %.3f s (processor %.3f s), best of %d\n", bzip2.wall, bzip2.cpu, rounds);
        std::printf(
            "extract_payload / bzip2 -dc: wall time %.3f s / %.3f s = %.3f (target <= 0.75); "
            "processor time %.3f\n",
            extraction.wall, bzip2.wall, extraction.wall / bzip2.wall, extraction.cpu / bzip2.cpu);
        std::printf("lbzip2 -d / bzip2 -dc: wall time %.3f s / %.3f s = %.3f (what the processors can do)\n",
                    lbzip2.wall, bzip2.wall, lbzip2.wall / bzip2.wall);
        // The processor-time pause is what the extraction itself costs between two answers; the wall
        // pause adds whatever else the machine was doing.
        std::printf(
            "longest pause between two of %llu notifications: %.1f ms wall, before notification %s; "
            "%.1f ms of processor time (target < 50 ms)\n",
            static_cast<unsigned long long>(notifications), longest_pause * 1e3, longest_before.c_str(),
            longest_cpu_pause * 1e3);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "extract_bench: " << e.what() << '\n';
        return 1;
    }
}
