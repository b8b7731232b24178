#pragma once

#include <string>
#include <vector>

namespace sorvane::bench {

// What a child program took: its wall time, its maximum resident set and its processor time
// (user and system, all threads), which a busy machine changes less than the wall time.
struct ChildRun {
    double seconds = 0.0;
    double peakMiB = 0.0;
    double cpuSeconds = 0.0;
};

// Runs a program (args[0] its path) with its output dropped; exits the benchmark when it cannot
// be started or fails.
ChildRun runChild(std::vector<std::string> args);

}  // namespace sorvane::bench
