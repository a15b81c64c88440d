// Timing what the benchmarks compare against: a reference program run as a child process, and the
// processor time of this process and of its ended children.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace bench {

struct program_timing {
    double wall = 0;  // seconds
    double cpu = 0;   // user and system seconds
};

// User plus system time of a resource usage record, in seconds.
double cpu_seconds(const rusage& usage);
// This process's processor time so far, and that of its children that have ended and been waited for.
double own_cpu_seconds();
double children_cpu_seconds();

// Runs a program found on PATH with its standard output going to the file `output`; throws
// std::runtime_error when it cannot be started or does not exit with 0.
program_timing run_program(const std::vector<std::string>& args, const std::string& output);

// The wall time of a call and the processor time this process (all its threads) spent in it.
template <typename Work>
program_timing time_call(Work&& work) {
    const double cpu = own_cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), own_cpu_seconds() - cpu};
}

// The best of a few rounds: the shortest wall time and the smallest processor time of any round,
// so that a slow moment of a busy machine decides nothing. `round` returns a program_timing.
template <typename Round>
program_timing best_of(int rounds, Round&& round) {
    program_timing best{1e300, 1e300};
    for (int i = 0; i < rounds; ++i) {
        const program_timing t = round();
        best.wall = std::min(best.wall, t.wall);
        best.cpu = std::min(best.cpu, t.cpu);
    }
    return best;
}

}  // namespace bench
