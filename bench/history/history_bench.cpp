// Times sorvane-cli history on a run of generated days: `history add` of every day into a fresh
// ledger with --jobs 1 and with the default jobs (one per core), then `history report` over
// them. Prints the times, the speed-up, the ledger's size and each run's peak memory (the
// child's maximum resident set). Targets on a 2-core machine: the days added in at most 10 s
// with the default jobs and at least 1.7 times faster than with one; the report in at most
// 0.5 s; the ledger at most 40 MB; under 64 MiB of memory per job.
//
// Usage: bench_history [DAYS [DETECTORS [FOLDER]]]   (default 30 days of 5000 detectors)
// The days are written into FOLDER (default: a temporary folder, removed at the end) unless it
// already holds them, so repeated runs can skip the generation.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "child_run.h"

namespace {

namespace fs = std::filesystem;

using Run = sorvane::bench::ChildRun;

// Runs a program with its output dropped; exits the benchmark when it fails.
Run run(std::vector<std::string> args) {
    return sorvane::bench::runChild(std::move(args));
}

std::vector<std::string> archivesIn(const fs::path& folder) {
    std::vector<std::string> archives;
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".traffic") archives.push_back(entry.path().string());
        }
    }
    std::sort(archives.begin(), archives.end());
    return archives;
}

Run addAll(const std::vector<std::string>& archives, const std::string& db, const char* jobs) {
    fs::remove(db);
    std::vector<std::string> args{SORVANE_CLI, "history", "add", "--db", db};
    if (jobs) args.insert(args.end(), {"--jobs", jobs});
    args.insert(args.end(), archives.begin(), archives.end());
    return run(args);
}

}  // namespace

int main(int argc, char** argv) {
    int days = argc > 1 ? std::atoi(argv[1]) : 30;
    int detectors = argc > 2 ? std::atoi(argv[2]) : 5000;
    bool temporary = argc <= 3;
    fs::path folder = temporary ? fs::temp_directory_path() /
                                      ("sorvane-bench-history-" + std::to_string(::getpid()))
                                : fs::path(argv[3]);
    std::vector<std::string> archives = archivesIn(folder);
    if (archives.size() != static_cast<size_t>(days)) {
        std::printf("writing %d days of %d detectors into %s ...\n", days, detectors,
                    folder.c_str());
        run({SORVANE_MKARCHIVE, "-o", folder.string(), "--days", std::to_string(days), "--start",
             "20240301", "-n", std::to_string(detectors)});
        archives = archivesIn(folder);
    }
    std::string db = (folder / "bench-ledger.sqlite").string();
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());

    Run one = addAll(archives, db, "1");
    Run all = addAll(archives, db, nullptr);
    double megabytes = static_cast<double>(fs::file_size(db)) / 1e6;
    Run report{1e300, 0.0};
    for (int i = 0; i < 5; ++i) {
        Run r = run({SORVANE_CLI, "history", "report", "--db", db});
        report.seconds = std::min(report.seconds, r.seconds);
        report.peakMiB = std::max(report.peakMiB, r.peakMiB);
    }

    std::printf("%zu days of %d detectors\n", archives.size(), detectors);
    std::printf("history add --jobs 1:       %6.2f s   peak %6.1f MiB\n", one.seconds, one.peakMiB);
    std::printf("history add (%u jobs):       %6.2f s   peak %6.1f MiB (%.1f MiB a job)\n", cores,
                all.seconds, all.peakMiB, all.peakMiB / cores);
    std::printf("speed-up:                   %6.2f x  (target at least 1.7 on 2 cores)\n",
                one.seconds / all.seconds);
    std::printf("history report:             %6.3f s   peak %6.1f MiB (best of 5)\n",
                report.seconds, report.peakMiB);
    std::printf("ledger:                     %6.1f MB\n", megabytes);
    fs::remove(db);
    if (temporary) fs::remove_all(folder);
    return 0;
}
