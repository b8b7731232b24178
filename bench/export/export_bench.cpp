// sorvane-bench-export: exports every detector of a generated day to CSV and reports the time,
// the file size, the throughput and the peak memory the export added.
#include <malloc.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/intervals.h"
#include "common/log.h"
#include "export/csv_export.h"
#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_day.h"

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
    int detectors = 1000;
    std::string interval = "30 sec";
    bool volumeOnly = false;
    int runs = 3;
    app.add_option("-n,--detectors", detectors, "detectors in the day")->capture_default_str();
    app.add_option("--interval", interval, "export interval label")->capture_default_str();
    app.add_flag("--vol-only", volumeOnly, "volumes only");
    app.add_option("--runs", runs, "exports to time")->capture_default_str();
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
        const double recordTableMb =
            static_cast<double>(ids.size() * kSlotsPerDay * sizeof(DetSlot)) / 1e6;
        std::printf("%zu detectors, \"%s\", %s (a slot table of DetSlot records: %.1f MB)\n",
                    ids.size(), interval.c_str(),
                    volumeOnly ? "volume only" : "volume and occupancy", recordTableMb);
        for (int run = 1; run <= runs; ++run) {
            // A new file each run, as a first export writes; the previous one goes untimed.
            if (!settings.destination.empty()) std::filesystem::remove(settings.destination);
            settings.destination = (folder / ("day-" + std::to_string(run) + ".csv")).string();
            // Free heap goes back to the system, so that the peak shows the export's own memory
            // rather than pages left resident by the generator or the run before.
            malloc_trim(0);
            resetPeakMemory();
            const double baseMb = statusMb("VmRSS");
            auto start = std::chrono::steady_clock::now();
            const double cpuStart = cpuSeconds();
            ExportCsv(ids, reader, settings, log);
            const double cpu = cpuSeconds() - cpuStart;
            std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
            const double sizeMb =
                static_cast<double>(std::filesystem::file_size(settings.destination)) / 1e6;
            const double extraMb = statusMb("VmHWM") - baseMb;
            std::printf(
                "run %d: %.3f s (cpu %.3f s), %.1f MB written, %.0f MB/s (%.0f MB/s of cpu), "
                "peak memory +%.1f MB\n",
                run, seconds.count(), cpu, sizeMb, sizeMb / seconds.count(), sizeMb / cpu, extraMb);
        }
    } catch (const SorvaneError& e) {
        std::cerr << e.description() << '\n';
        std::filesystem::remove_all(folder);
        return 1;
    }
    std::filesystem::remove_all(folder);
    return 0;
}
