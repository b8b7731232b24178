// Times, on one synthetic day, (a) reading the first bytes of every archive member through
// libzip and nothing else, and (b) the whole health test of all detectors: listing the archive,
// extracting and measuring every detector, classifying, and writing the report. Prints both and
// their ratio; the health test should cost at most 1.5 times the bare reading.
//
// Usage: bench_health [DETECTORS [REPEATS]]   (default 5000 detectors, 5 repeats; best of each)
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/unzip.h"
#include "common/log.h"
#include "health/health_parameters.h"
#include "health/health_report.h"
#include "health/health_run.h"
#include "health/health_snapshot.h"
#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_day.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// (a) Opens the archive and reads each member's first 2880 (volume) or 5760 bytes.
double readMembers(const std::string& path, size_t& bytesRead) {
    auto start = Clock::now();
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    std::vector<uint8_t> buffer(5760);
    bytesRead = 0;
    zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        auto index = static_cast<zip_uint64_t>(i);
        std::string name = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        size_t length = name.ends_with(".v30") ? 2880 : 5760;
        zip_file_t* file = zip_fopen_index(archive, index, 0);
        size_t got = 0;
        while (got < length) {
            zip_int64_t n = zip_fread(file, buffer.data() + got, length - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        bytesRead += got;
        zip_fclose(file);
    }
    zip_discard(archive);
    return millisecondsSince(start);
}

// (b) The health test of all detectors, as sorvane-cli health runs it.
double healthTest(const std::string& path, const std::string& report, int& visited) {
    auto start = Clock::now();
    sorvane::Log log;
    sorvane::Unzip reader(log);
    reader.ZipFileName(path);
    reader.zipList();
    using namespace sorvane::modBaddet;
    HealthSnapshot snapshot = takeHealthSnapshot(sorvane::factoryParameterTexts());
    HealthRunResult result = RunHealthTest(reader, log, snapshot, kAllDetectors);
    WriteReport(report, result.reportText);
    visited = static_cast<int>(result.outcomes.size());
    return millisecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    int detectors = argc > 1 ? std::atoi(argv[1]) : 5000;
    int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("sorvane-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::string archive = (folder / "day.traffic").string();
    std::string report = (folder / "Diagnostic_Report.txt").string();

    sorvane::synth::DayOptions options;  // sorvane-mkarchive's defaults
    options.detectors = detectors;
    sorvane::synth::writeArchive(
        archive, sorvane::synth::archiveMembers(sorvane::synth::makeDay(options),
                                                sorvane::synth::MemberOrder::Grouped));
    std::printf("day: %d detectors, %ju bytes\n", detectors,
                static_cast<uintmax_t>(std::filesystem::file_size(archive)));

    double bestRead = 1e300, bestHealth = 1e300;
    size_t bytesRead = 0;
    int visited = 0;
    for (int r = 0; r < repeats; ++r) {
        bestRead = std::min(bestRead, readMembers(archive, bytesRead));
        bestHealth = std::min(bestHealth, healthTest(archive, report, visited));
    }
    std::printf("(a) read members only:    %8.1f ms  (%zu bytes)\n", bestRead, bytesRead);
    std::printf("(b) health test + report: %8.1f ms  (%d detectors)\n", bestHealth, visited);
    std::printf("ratio b/a: %.2f (target at most 1.5); best of %d\n", bestHealth / bestRead,
                repeats);
    std::filesystem::remove_all(folder);
    return 0;
}
