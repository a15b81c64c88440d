// Measures the payload reader against the reference decompressor and its memory use as payloads
// grow. One run prints, each side the best of three rounds:
//   - the wall time of verify_payload over a generated payload (about 28.8 MB unpacked, a third of
//     that packed) divided by that of "bzip2 -dc" on the same stream; the target is at most 0.6;
//   - the time of "lbzip2 -d" divided by that of "bzip2 -dc": what the machine's processors can do;
//   - the peak resident memory that verification and a full pass through the archive writer add,
//     for that payload and for one ten times larger (less than 1 MB apart), and the same for the
//     sequential decoder (the decoder on all processors stays within 16 MB of it).
//
//   payload_bench [--small]    (--small: a tenth of the sizes, for a quick look)
#include "payload/archive_writer.hpp"
#include "payload/decompression.hpp"
#include "payload/sequential_decompression.hpp"
#include "payload/verify_payload.hpp"
#include "payload/vn/memstream.hpp"
#include "payload_generator.hpp"
#include "support/memory_archive_target.hpp"
#include "support/timed_program.hpp"

#include <boost/filesystem.hpp>
#include <boost/filesystem/fstream.hpp>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace fs = boost::filesystem;

namespace {

constexpr std::uint64_t shipped_archive_size = 28'827'240;
constexpr int timing_rounds = 3;

std::string read_file(const fs::path& file) {
    std::ifstream in(file.string(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

long status_kilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::strlen(field)));
        }
    }
    return -1;
}

// In a fresh process: the peak resident memory that one pass adds, in kilobytes. The payload is
// streamed from the file, so only the reader's own memory counts.
int measure_peak_growth(const std::string& mode, const fs::path& file) {
    fs::ifstream source(file, std::ios::binary);
    std::ofstream("/proc/self/clear_refs") << "5";  // restarts the peak at the current size
    const long before = status_kilobytes("VmRSS:");
    if (mode == "verify") {
        if (!payload::verify_payload(source)) {
            return 1;
        }
    } else if (mode == "sequential") {
        payload::decompress_payload_sequential(source, [](const char*, std::streamsize n) { return n; });
    } else {
        test_support::memory_archive_target target(false);
        payload::archive_writer writer(
            "/inst", "", "", [](payload::notification) { return payload::notification::result::proceed; }, target);
        payload::decompress_payload(source, [&](const char* b, std::streamsize n) { return writer.write(b, n); });
        if (writer.bytes_done() != writer.bytes_total()) {
            return 1;
        }
    }
    std::cout << status_kilobytes("VmHWM:") - before << '\n';
    return 0;
}

long peak_growth(const char* self, const std::string& mode, const fs::path& file, const fs::path& scratch) {
    const auto output = (scratch / "rss.txt").string();
    bench::run_program({self, "--peak-growth", mode, file.string()}, output);
    return std::stol(read_file(output));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::string(argv[1]) == "--peak-growth") {
            return measure_peak_growth(argv[2], argv[3]);
        }
        const bool small = argc == 2 && std::string(argv[1]) == "--small";
        const std::uint64_t base_size = small ? shipped_archive_size / 10 : shipped_archive_size;

        const fs::path scratch = fs::temp_directory_path() / fs::unique_path("payload-bench-%%%%-%%%%");
        fs::create_directories(scratch);
        struct cleanup {
            fs::path dir;
            ~cleanup() { fs::remove_all(dir); }
        } remove_scratch{scratch};

        std::cout << "generating payloads..." << std::endl;
        const auto payload = bench::write_payload(scratch / "payload.bz2", base_size);
        bench::write_payload(scratch / "large.bz2", base_size * 10);
        std::printf("payload: %.1f MB unpacked, %.1f MB packed (%.2f)\n", payload.archive_size / 1e6,
                    payload.compressed_size / 1e6,
                    static_cast<double>(payload.compressed_size) / static_cast<double>(payload.archive_size));

        // Verification reads the payload in place, as it does from the program's image.
        const std::string compressed = read_file(scratch / "payload.bz2");
        const bench::program_timing verify = bench::best_of(timing_rounds, [&] {
            return bench::time_call([&] {
                vn::imemstream source(compressed.data(), compressed.size());
                if (!payload::verify_payload(source)) {
                    throw std::runtime_error("the generated payload does not verify");
                }
            });
        });
        const auto reference = [&](const char* program) {
            return bench::best_of(timing_rounds, [&] {
                return bench::run_program({program, "-dc", (scratch / "payload.bz2").string()}, "/dev/null");
            });
        };
        const bench::program_timing bzip2 = reference("bzip2");
        const bench::program_timing lbzip2 = reference("lbzip2");
        std::printf("bzip2 -dc: %.3f s (processor %.3f s), best of %d\n", bzip2.wall, bzip2.cpu, timing_rounds);
        std::printf(
            "verify_payload / bzip2 -dc: wall time %.3f s / %.3f s = %.3f (target <= 0.6); processor time %.3f\n",
            verify.wall, bzip2.wall, verify.wall / bzip2.wall, verify.cpu / bzip2.cpu);
        std::printf("lbzip2 -d / bzip2 -dc: wall time %.3f s / %.3f s = %.3f (what the processors can do)\n",
                    lbzip2.wall, bzip2.wall, lbzip2.wall / bzip2.wall);

        for (const char* mode : {"verify", "extract", "sequential"}) {
            const long growth = peak_growth(argv[0], mode, scratch / "payload.bz2", scratch);
            const long large_growth = peak_growth(argv[0], mode, scratch / "large.bz2", scratch);
            std::printf("%-10s peak RSS growth: %ld kB for the payload, %ld kB for ten times it (difference %ld kB)\n",
                        mode, growth, large_growth, large_growth - growth);
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "payload_bench: " << e.what() << '\n';
        return 1;
    }
}
