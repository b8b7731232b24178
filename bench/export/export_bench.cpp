// sorvane-bench-export: exports every detector of a generated day to CSV and times, in the same
// run, (a) the libzip read floor (reading the first bytes of every member through libzip and
// nothing else), (b) the export with one job and (c) with one per core; prints the throughput of
// CSV written, the ratios to the floor and the peak memory each export added. Targets on a
// 2-core machine, 5000 detectors at "30 sec": at least 300 MB/s with the default jobs, the peak
// at most the slot table + 16 MB.
#include <malloc.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/intervals.h"
#include "common/log.h"
#include "common/machine_cores.h"
#include "export/csv_export.h"
#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_day.h"
#include "read_floor.h"

namespace {

using namespace sorvane;

// A field of /proc/self/status ("VmRSS", "VmHWM") in MB; 0 when not there.
double statusMb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0)
            return static_cast<double>(std::stol(line.substr(field.size() + 1))) * 1024 / 1e6;
    }
    return 0;
}

// User and system time of the process: what the export costs, whatever else the machine runs.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Starts a new peak: the kernel resets VmHWM to the current resident size.
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::vector<std::string> writeDay(const std::string& path, int detectors) {
    synth::DayOptions options;
    options.detectors = detectors;
    std::vector<synth::SyntheticDetector> day = synth::makeDay(options);
    synth::writeArchive(path, synth::archiveMembers(day, synth::MemberOrder::Grouped));
    std::vector<std::string> ids;
    for (const synth::SyntheticDetector& d : day)
        ids.push_back(std::to_string(d.number));
    return ids;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"sorvane-bench-export: time the CSV export of a generated day"};
    int detectors = 5000;
    std::string interval = "30 sec";
    bool volumeOnly = false;
    int runs = 5;
    app.add_option("-n,--detectors", detectors, "detectors in the day")->capture_default_str();
    app.add_option("--interval", interval, "export interval label")->capture_default_str();
    app.add_flag("--vol-only", volumeOnly, "volumes only");
    app.add_option("--runs", runs, "runs of each (best of them)")->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    std::optional<int> position = intervalPosition(interval);
    if (!position) {
        std::cerr << "unknown interval " << interval << '\n';
        return 2;
    }

    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("sorvane-bench-export-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string archive = (folder / "day.traffic").string();
    try {
        std::vector<std::string> ids = writeDay(archive, detectors);
        Log log;
        Unzip reader(log);
        reader.ZipFileName(archive);
        reader.zipList();
        ExportSettings settings;
        settings.intervalPosition = *position;
        settings.volumeOnly = volumeOnly;
        // What the export holds of each detector's day: 1 byte a slot, and 4 with occupancies.
        const double slotTableMb =
            static_cast<double>(ids.size() * kSlotsPerDay * (volumeOnly ? 1 : 5)) / 1e6;
        std::printf("%zu detectors, \"%s\", %s (slot table %.1f MB); %d cores\n", ids.size(),
                    interval.c_str(), volumeOnly ? "volume only" : "volume and occupancy",
                    slotTableMb, machineCores());
        struct Timing {
            double seconds = 1e300, cpu = 0, sizeMb = 0, extraMb = 0;
        };
        // One export, a new file each time, as a first export writes.
        auto exportOnce = [&](int jobs, int run) {
            if (!settings.destination.empty()) std::filesystem::remove(settings.destination);
            settings.destination = (folder / ("day-" + std::to_string(run) + ".csv")).string();
            settings.jobs = jobs;
            // Free heap goes back to the system, so that the peak shows the export's own memory
            // rather than pages left resident by the generator or the run before.
            malloc_trim(0);
            resetPeakMemory();
            const double baseMb = statusMb("VmRSS");
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = cpuSeconds();
            ExportCsv(ids, reader, settings, log);
            Timing t;
            t.cpu = cpuSeconds() - cpuStart;
            t.seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            t.sizeMb = static_cast<double>(std::filesystem::file_size(settings.destination)) / 1e6;
            t.extraMb = statusMb("VmHWM") - baseMb;
            return t;
        };
        const int cores = machineCores();
        double floorMs = 1e300;
        size_t bytesRead = 0;
        Timing one, all;
        for (int run = 1; run <= runs; ++run) {
            floorMs = std::min(floorMs, bench::libzipReadFloor(archive, bytesRead));
            for (auto [jobs, best] : {std::pair{1, &one}, std::pair{cores, &all}}) {
                Timing t = exportOnce(jobs, run);
                if (t.seconds < best->seconds) *best = t;
                best->extraMb = std::max(best->extraMb, t.extraMb);
            }
        }
        std::printf("(a) libzip read floor:  %7.1f ms  (%zu bytes)\n", floorMs, bytesRead);
        for (auto [name, jobs, t] : {std::tuple{"b", 1, one}, std::tuple{"c", cores, all}}) {
            std::printf(
                "(%s) export, %d job%s:     %7.1f ms  (cpu %.0f ms), %.1f MB, %.0f MB/s, %s/a "
                "%.2f, "
                "peak memory +%.1f MB\n",
                name, jobs, jobs == 1 ? " " : "s", t.seconds * 1e3, t.cpu * 1e3, t.sizeMb,
                t.sizeMb / t.seconds, name, t.seconds * 1e3 / floorMs, t.extraMb);
        }
        std::printf(
            "best of %d runs each (peak: the highest); targets at 5000 detectors, \"30 sec\": "
            "at least 300 MB/s, peak at most %.1f MB (the slot table + 16 MB)\n",
            runs, slotTableMb + 16);
    } catch (const SorvaneError& e) {
        std::cerr << e.description() << '\n';
        std::filesystem::remove_all(folder);
        return 1;
    }
    std::filesystem::remove_all(folder);
    return 0;
}
