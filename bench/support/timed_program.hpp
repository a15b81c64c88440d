// Timing what the benchmarks compare against: a reference program run as a child process, and the
// processor time of this process and of its ended children.
#pragma once

#include <sys/resource.h>

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

}  // namespace bench
