#include <gtest/gtest.h>

#include <fstream>

#include "archive/unzip.h"
#include "common/log.h"
#include "health/health_report.h"
#include "health/health_run.h"
#include "health/measures_csv.h"
#include "health_days.h"
#include "support/test_support.h"

namespace sorvane::modBaddet {
namespace {

using test::factorySnapshot;
using test::membersOf;
using test::RawDay;

RawDay healthyDay() {
    return RawDay(5, 10.0f);
}

// Five-minute volumes of 0 and 24 in turn at 10 %: DevIndex 12, marginal.
RawDay marginalDay() {
    RawDay day(0, 10.0f);
    for (int bin = 1; bin < 288; bin += 2)
        day.volumes(bin * 10, bin * 10 + 3, 3).volumes(bin * 10 + 4, bin * 10 + 9, 2);
    return day;
}

// One detector of each kind; 106 lacks its occupancy member, 4500 lies in the excluded range.
class HealthRun : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<synth::ArchiveMember> members;
        auto add = [&members](int det, const RawDay& day) {
            for (auto& m : membersOf(det, day))
                members.push_back(std::move(m));
        };
        add(101, healthyDay());
        add(102, RawDay(255, 0.0f));  // missing all day
        add(103, RawDay(0, 0.0f));    // dead
        add(104, RawDay(97, 90.0f));  // 970 vehicles per five minutes at 90 %
        add(105, marginalDay());
        members.push_back(membersOf(106, healthyDay())[0]);
        add(4500, healthyDay());
        reader.ZipFileName(test::makeArchive(dir, "day.traffic", members));
        reader.zipList();
    }

    test::TempDir dir;
    Log log;
    Unzip reader{log};
};

constexpr const char* kZeroMeasures =
    "     Occupancy Spike Count = 0, Volume Spike Count = 0, Deviation Index = 0.0,\r\n";

// Worked out by hand from the days above.
const std::string kBlock102 =
    "102: HIGHLY SUSPICIOUS (due to Missing Data),Possible Comm Fail/Det Fail/Construction\r\n"
    "     Missing = 100%, Consec Zero Vol = 100%, Slots locked = 0, Corr Coef = 0.0000,\r\n" +
    std::string(kZeroMeasures) + "     Vol on high Occ = 0.0, Overcount = 0.0 %\r\n\r\n";
const std::string kBlock103 =
    "103:  HIGHLY SUSPICIOUS (due to consecutive zero/invalid volume Data),Possible Comm "
    "Fail/Det Fail/Construction\r\n"
    "     Missing = 0%, Consec Zero Vol = 100%, Slots locked = 0, Corr Coef = 0.0000,\r\n" +
    std::string(kZeroMeasures) + "     Vol on high Occ = 0.0, Overcount = 0.0 %\r\n\r\n";
const std::string kBlock104 =
    "104: SUSPICIOUS (due to Abnormal High Occ), Possible Controller or Detector Error\r\n\r\n"
    "     Missing = 0%, Consec Zero Vol = 0%, Slots locked = 0, Corr Coef = 0.0000,\r\n" +
    std::string(kZeroMeasures) + "     Vol on high Occ = 60.6, Overcount = 100.0 %\r\n\r\n";
const std::string kBlock105 =
    "105: MARGINAL (due to Mid DevIndex) \r\n"
    "     Missing = 0%, Consec Zero Vol = 0%, Slots locked = 0, Corr Coef = 0.0000,\r\n"
    "     Occupancy Spike Count = 0, Volume Spike Count = 0, Deviation Index = 12.0,\r\n"
    "     Vol on high Occ = 0.0, Overcount = 0.0 %\r\n\r\n";
const std::string kBlock106 = "106: Highly Suspicious (No Occupancy Data)\r\n";

TEST_F(HealthRun, AllDetectorsGiveListsCountsAndTheReport) {
    std::vector<std::pair<int, int>> progress;
    HealthRunResult r =
        RunHealthTest(reader, log, factorySnapshot(), kAllDetectors,
                      [&](int position, int count) { progress.emplace_back(position, count); });
    EXPECT_EQ(r.highList, (std::vector<std::string>{"102, 100% missing", "103, 100% zero/invalid",
                                                    "106, (no occ data)"}));
    EXPECT_EQ(r.suspList, (std::vector<std::string>{"104, HighOcc AbnormVol, Susp",
                                                    "105, Mid DevIndex, Marginal"}));
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{
                            {0, 7}, {1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7}, {6, 7}}));
    EXPECT_EQ(r.tally.excluded, 1);
    EXPECT_EQ(log.logText(), "Det 106 does not exist\r\n");
    EXPECT_EQ(r.reportFileName, "Diagnostic_Report.txt");
    EXPECT_EQ(r.reportText,
              "Total number of detectors:7\r\n"
              "Total number of healthy detectors:1\r\n"
              "Total number of highly suspicious detectors: 3\r\n"
              "Total number of suspicious detectors: 1\r\n"
              "Total number of marginal detectors: 1\r\n"
              "\r\n"
              "HIGHLY SUSPICIOUS DETECTORS\r\n" +
                  kBlock102 + kBlock103 + kBlock106 +
                  "\r\n"
                  "SUSPICIOUS DETECTORS\r\n" +
                  kBlock104 +
                  "\r\n"
                  "MARGINAL DETECTORS THAT NEED FURTHER INVESTIGATION\r\n" +
                  kBlock105 + "\r\n");

    std::string path = dir.file(std::string(kAllReportFileName));
    WriteReport(path, r.reportText);
    EXPECT_EQ(test::readFile(path), r.reportText);
}

TEST_F(HealthRun, MeasuresTableHasARowPerVisitedDetector) {
    HealthRunResult r = RunHealthTest(reader, log, factorySnapshot(), kAllDetectors);
    EXPECT_EQ(measuresCsvText(r.outcomes),
              "detector,class,MissingCount,ZeroRunCount,LockOnCount,CorrCoef,OccSpikeCount,"
              "VolSpikeCount,DevIndex,VolOnHighOcc,MaxVol5,OvercountSlots,ValidVolSlots,reason\r\n"
              "101,Hlth,0,0,0,0,0,0,0,0,50,0,2880,HEALTHY \r\n"
              "102,High,2880,2399,0,0,0,0,0,0,0,0,0,\"HIGHLY SUSPICIOUS (due to Missing "
              "Data),Possible Comm Fail/Det Fail/Construction\"\r\n"
              "103,High,0,2399,0,0,0,0,0,0,0,0,2880,\" HIGHLY SUSPICIOUS (due to consecutive "
              "zero/invalid volume Data),Possible Comm Fail/Det Fail/Construction\"\r\n"
              "104,Susp,0,0,0,0,0,0,0,60.625,970,2880,2880,\"SUSPICIOUS (due to Abnormal High "
              "Occ), Possible Controller or Detector Error\r\n\"\r\n"
              "105,Marg,0,0,0,0,0,0,12,0,24,0,2880,MARGINAL (due to Mid DevIndex) \r\n"
              "106,High,,,,,,,,,,,,Highly Suspicious (No Occupancy Data)\r\n"
              "4500,Excluded,,,,,,,,,,,,Detector Excluded From Testing\r\n");
}

TEST_F(HealthRun, SingleDetectorReports) {
    struct Case {
        int16_t det;
        std::string report;
        std::vector<std::string> highList;
        std::vector<std::string> suspList;
    };
    const Case cases[] = {
        {105, kBlock105 + "\r\n", {}, {"105, Mid DevIndex, Marginal"}},
        {101, "\r\nGood Detector\r\n", {}, {}},
        {4500, "\r\nGood Detector\r\n", {}, {}},  // excluded
        {9999, "9999: Highly Suspicious (No Occupancy Data)\r\n\r\n", {"9999, (no occ data)"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<int, int>> progress;
        HealthRunResult r =
            RunHealthTest(reader, log, factorySnapshot(), c.det,
                          [&](int position, int count) { progress.emplace_back(position, count); });
        EXPECT_FALSE(r.allDetectors);
        EXPECT_EQ(r.reportFileName, "report_single.txt");
        EXPECT_EQ(r.reportText, c.report) << c.det;
        EXPECT_EQ(r.highList, c.highList) << c.det;
        EXPECT_EQ(r.suspList, c.suspList) << c.det;
        EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{c.det, 7}})) << c.det;
    }
}

TEST(HealthRunRange, ExcludesBothEndsOfTheRange) {
    test::TempDir dir;
    std::vector<synth::ArchiveMember> members;
    for (int det : {4499, 4500, 4940, 4941}) {
        for (auto& m : membersOf(det, healthyDay()))
            members.push_back(std::move(m));
    }
    Log log;
    Unzip reader(log);
    reader.ZipFileName(test::makeArchive(dir, "range.traffic", members));
    reader.zipList();
    auto classes = [&](const HealthSnapshot& s) {
        std::string labels;
        for (const DetectorOutcome& o : RunHealthTest(reader, log, s, kAllDetectors).outcomes)
            labels += std::string(healthClassLabel(o.healthClass)) + " ";
        return labels;
    };
    HealthSnapshot s = factorySnapshot();
    EXPECT_EQ(classes(s), "Hlth Excluded Excluded Hlth ");
    s.detNoFrom = 4941;  // a range whose first number exceeds its last excludes nothing
    s.detNoTo = 4499;
    EXPECT_EQ(classes(s), "Hlth Hlth Hlth Hlth ");

    s.detNoFrom = -32768;
    s.detNoTo = 32767;
    HealthRunResult all = RunHealthTest(reader, log, s, kAllDetectors);
    EXPECT_TRUE(all.highList.empty());
    EXPECT_TRUE(all.suspList.empty());
    EXPECT_EQ(all.reportText,
              "Total number of detectors:4\r\n"
              "Total number of healthy detectors:0\r\n"
              "Total number of highly suspicious detectors: 0\r\n"
              "Total number of suspicious detectors: 0\r\n"
              "Total number of marginal detectors: 0\r\n"
              "\r\n"
              "HIGHLY SUSPICIOUS DETECTORS\r\n\r\n"
              "SUSPICIOUS DETECTORS\r\n\r\n"
              "MARGINAL DETECTORS THAT NEED FURTHER INVESTIGATION\r\n\r\n");
}

TEST(HealthRunDamage, ADamagedMemberSpoilsOnlyItsDetector) {
    test::TempDir dir;
    std::vector<synth::ArchiveMember> members = membersOf(201, healthyDay());
    for (auto& m : membersOf(202, healthyDay()))
        members.push_back(std::move(m));
    std::string path = test::makeArchive(dir, "damaged.traffic", members);
    // Overwrite the middle of the first member's compressed data.
    std::string bytes = test::readFile(path);
    for (size_t i = 45; i < 60; ++i)
        bytes[i] = static_cast<char>(0xFF);
    test::writeFile(path, bytes);

    Log log;
    Unzip reader(log);
    reader.ZipFileName(path);
    reader.zipList();
    HealthRunResult r = RunHealthTest(reader, log, factorySnapshot(), kAllDetectors);
    EXPECT_EQ(r.highList, std::vector<std::string>{"201, (no occ data)"});
    EXPECT_EQ(r.tally.healthy, 1);
    EXPECT_EQ(log.logText().rfind("Det 201 cannot be read: ", 0), 0u) << log.logText();
}

TEST(WriteReport, NamesThePathAndKeepsTheOldFile) {
    test::TempDir dir;
    std::string path = dir.file("Diagnostic_Report.txt");
    test::writeFile(path, "old");
    std::string folder = dir.file("no/such/folder/report_single.txt");
    try {
        WriteReport(folder, "x\r\n");
        FAIL() << "no error";
    } catch (const SorvaneError& e) {
        EXPECT_NE(e.description().find(folder), std::string::npos);
        EXPECT_NE(e.description().find("No such file or directory"), std::string::npos);
    }
    EXPECT_THROW(WriteReport(dir.path(), "x"), SorvaneError);
    EXPECT_EQ(test::readFile(path), "old");
}

TEST(MeasuresCsv, FullPrecisionAndCsvQuoting) {
    DetectorOutcome o;
    o.det = -5;
    o.healthClass = HealthClass::Susp;
    o.reason = "say \"why\"";
    HealthMeasures m;
    m.corrCoef = 0.1 + 0.2;
    m.devIndex = 12.25f;
    m.volOnHighOcc = 0.1f;
    m.validVolSlots = 2879.0;
    o.measures = m;
    std::string csv = measuresCsvText({o});
    EXPECT_EQ(csv.substr(csv.find("\r\n") + 2),
              "-5,Susp,0,0,0,0.30000000000000004,0,0,12.25,0.1,0,0,2879,\"say \"\"why\"\"\"\r\n");
}

}  // namespace
}  // namespace sorvane::modBaddet
