// The health test on worker threads: the same bytes as on one thread whatever the number of
// jobs, a damaged member that spoils only its detector, and a stop that joins every worker.
// (A file replaced since it was listed: tests/hardening/archive_changes_test.cpp.)
#include <dirent.h>
#include <gtest/gtest.h>

#include "health/measures_csv.h"
#include "health_days.h"
#include "mkarchive/synthetic_day.h"

namespace sorvane::modBaddet {
namespace {

// A generated day of 300 detectors, a third of them faulty, occupancies of both encodings and
// members grouped; one volume member stored rather than deflated, one occupancy member left out.
std::vector<synth::ArchiveMember> generatedDay(uint64_t seed) {
    std::vector<synth::ArchiveMember> members =
        test::generatedDay({.detectors = 300,
                            .seed = seed,
                            .faultShare = 0.3,
                            .occupancy = synth::OccEncoding::Mixed});
    members[10].stored = true;            // 105.v30
    members.erase(members.begin() + 21);  // 110.o30
    return members;
}

// Everything a run leaves: the report, the lists, the log, the progress, and the measures
// table with each detector's raw day summed up in its last column.
struct RunBytes {
    std::string report, lists, log, progress, measures;
    friend bool operator==(const RunBytes&, const RunBytes&) = default;
};

RunBytes runWith(test::HealthArchive& day, const HealthSnapshot& snapshot, int jobs) {
    day.log = Log();
    std::vector<std::string> rawSums;
    HealthRunResult r = day.run(
        kAllDetectors, snapshot,
        [&](const DetectorOutcome&, const RawDetectorDay* raw) {
            double sum = 0;
            for (size_t i = 0; raw && i < raw->vol.size(); ++i)
                sum += raw->vol[i] + static_cast<double>(raw->occ[i]);
            rawSums.push_back(raw ? std::to_string(sum) : "");
        },
        jobs);
    RunBytes bytes{r.reportText, "", day.log.logText(), "", measuresCsvText(r.outcomes, rawSums)};
    for (const std::string& line : r.highList)
        bytes.lists += line + "\n";
    for (const std::string& line : r.suspList)
        bytes.lists += "/" + line + "\n";
    for (auto [position, count] : day.progress)
        bytes.progress += std::to_string(position) + "/" + std::to_string(count) + " ";
    return bytes;
}

int threadsOfThisProcess() {
    int threads = 0;
    DIR* tasks = ::opendir("/proc/self/task");
    while (dirent* entry = ::readdir(tasks))
        threads += entry->d_name[0] != '.';
    ::closedir(tasks);
    return threads;
}

TEST(HealthWorkers, AnyNumberOfJobsGivesTheBytesOfOne) {
    test::HealthArchive day(generatedDay(7));
    // Detector 100's first member damaged: its reading is logged.
    std::string bytes = test::readFile(day.path);
    bytes.replace(45, 15, 15, '\xFF');
    test::writeFile(day.path, bytes);
    day.reader.zipList();
    HealthSnapshot snapshot = test::factorySnapshot();
    snapshot.detNoFrom = 200;  // and some excluded
    snapshot.detNoTo = 209;

    const RunBytes one = runWith(day, snapshot, 1);
    EXPECT_EQ(one.log.rfind("Det 100 cannot be read: ", 0), 0u) << one.log;
    // The damaged member spoils only its own detector: 110 lacks its occupancies, no other.
    size_t withoutData = 0;
    for (size_t at = 0; (at = one.lists.find(", (no occ data)", at)) != std::string::npos; ++at)
        ++withoutData;
    EXPECT_EQ(one.lists.rfind("100, (no occ data)\n", 0), 0u) << one.lists;
    EXPECT_EQ(withoutData, 2u) << one.lists;
    EXPECT_NE(one.log.find("Det 110 does not exist\r\n"), std::string::npos) << one.log;
    EXPECT_NE(one.lists.find("/"), std::string::npos);  // both lists hold lines
    for (int jobs : {2, 3, 8, 0}) {
        EXPECT_TRUE(runWith(day, snapshot, jobs) == one) << jobs << " jobs";
    }
}

TEST(HealthWorkers, AStopFromTheProgressJoinsEveryWorker) {
    test::HealthArchive day(generatedDay(8));
    const int threadsBefore = threadsOfThisProcess();
    struct Stop {};
    std::vector<int> positions;
    auto stopAt50 = [&](int position, int, const DetectorOutcome&) {
        positions.push_back(position);
        if (position == 50) throw Stop{};
    };
    EXPECT_THROW(
        RunHealthTest(day.reader, day.log, test::factorySnapshot(), kAllDetectors, stopAt50, {}, 3),
        Stop);
    ASSERT_EQ(positions.size(), 51u);
    EXPECT_EQ(positions.back(), 50);
    EXPECT_EQ(threadsOfThisProcess(), threadsBefore);
}

}  // namespace
}  // namespace sorvane::modBaddet
