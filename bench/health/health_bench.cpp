// Times, on one synthetic day and in the same run: (a) the libzip read floor, reading the first
// bytes of every archive member through libzip and nothing else, and the whole health test of
// all detectors (listing the archive, reading, measuring and classifying every detector,
// writing the report) (b) with one worker and (c) with one per core. Prints the times and their
// ratios to the floor, then the peak memory of `sorvane-cli health` with one job and with the
// default jobs (the child's maximum resident set). Targets on a 2-core machine: (b) at most 0.9
// times the floor, (c) at most 0.6 times, under 64 MiB of memory.
//
// Usage: bench_health [DETECTORS [REPEATS]]   (default 5000 detectors, 7 repeats; best of each)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/unzip.h"
#include "child_run.h"
#include "common/log.h"
#include "common/machine_cores.h"
#include "health/health_parameters.h"
#include "health/health_report.h"
#include "health/health_run.h"
#include "health/health_snapshot.h"
#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_day.h"
#include "read_floor.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// (b), (c) The health test of all detectors, as sorvane-cli health runs it.
double healthTest(const std::string& path, const std::string& report, int jobs, int& visited) {
    auto start = Clock::now();
    sorvane::Log log;
    sorvane::Unzip reader(log);
    reader.ZipFileName(path);
    reader.zipList();
    using namespace sorvane::modBaddet;
    HealthSnapshot snapshot = takeHealthSnapshot(sorvane::factoryParameterTexts());
    HealthRunResult result = RunHealthTest(reader, log, snapshot, kAllDetectors, {}, {}, jobs);
    WriteReport(report, result.reportText);
    visited = static_cast<int>(result.outcomes.size());
    return millisecondsSince(start);
}

// The maximum resident set of `sorvane-cli health` on the archive, in MiB.
double peakMemoryMiB(const std::string& archive, const std::string& report, const char* jobs) {
    std::vector<std::string> args{SORVANE_CLI, "health", archive, "-o", report};
    if (jobs != nullptr) args.insert(args.end(), {"--jobs", jobs});
    return sorvane::bench::runChild(args).peakMiB;
}

}  // namespace

int main(int argc, char** argv) {
    int detectors = argc > 1 ? std::atoi(argv[1]) : 5000;
    int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    // The floor opens the archive as the program does: with the local time zone named once, the
    // way every Unzip leaves it (see settleLocalTimeZone).
    sorvane::settleLocalTimeZone();

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("sorvane-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::string archive = (folder / "day.traffic").string();
    std::string report = (folder / "Diagnostic_Report.txt").string();

    // Written by a child: the generator's memory would otherwise count in the peak of every
    // program this one starts (a child's maximum resident set begins with its parent's).
    pid_t writer = ::fork();
    if (writer == 0) {
        sorvane::synth::DayOptions options;  // sorvane-mkarchive's defaults
        options.detectors = detectors;
        sorvane::synth::writeArchive(
            archive, sorvane::synth::archiveMembers(sorvane::synth::makeDay(options),
                                                    sorvane::synth::MemberOrder::Grouped));
        ::_exit(0);
    }
    int written = 0;
    if (writer < 0 || ::waitpid(writer, &written, 0) != writer || written != 0) {
        std::fprintf(stderr, "cannot write the day\n");
        return 1;
    }
    const int cores = sorvane::machineCores();
    std::printf("day: %d detectors, %ju bytes; %d cores\n", detectors,
                static_cast<uintmax_t>(std::filesystem::file_size(archive)), cores);
    // Measured first, while this program is still small (see above).
    const double oneJobMiB = peakMemoryMiB(archive, report, "1");
    const double defaultJobsMiB = peakMemoryMiB(archive, report, nullptr);

    double bestRead = 1e300, bestOne = 1e300, bestAll = 1e300;
    size_t bytesRead = 0;
    int visited = 0;
    for (int r = 0; r < repeats; ++r) {
        bestRead = std::min(bestRead, sorvane::bench::libzipReadFloor(archive, bytesRead));
        bestOne = std::min(bestOne, healthTest(archive, report, 1, visited));
        bestAll = std::min(bestAll, healthTest(archive, report, cores, visited));
    }
    std::printf("(a) libzip read floor:             %7.1f ms  (%zu bytes)\n", bestRead, bytesRead);
    std::printf("(b) health test + report, 1 job:   %7.1f ms  b/a %.2f (target at most 0.9)\n",
                bestOne, bestOne / bestRead);
    std::printf("(c) health test + report, %d jobs:  %7.1f ms  c/a %.2f (target at most 0.6)\n",
                cores, bestAll, bestAll / bestRead);
    std::printf("best of %d runs each; %d detectors tested\n", repeats, visited);
    std::printf(
        "peak memory of sorvane-cli health: %.1f MiB with --jobs 1, %.1f MiB with the "
        "default jobs (target under 64 MiB)\n",
        oneJobMiB, defaultJobsMiB);
    std::filesystem::remove_all(folder);
    return 0;
}
