#include <gtest/gtest.h>

#include "health/measures_csv.h"
#include "health_days.h"

namespace sorvane::modBaddet {
namespace {

using test::HealthArchive;
using test::kHealthyDay;
using test::RawDay;

// One detector of each kind; 106 lacks its occupancy member, 4500 lies in the excluded range.
HealthArchive sampleDay() {
    return HealthArchive(test::membersOf({{101, kHealthyDay},
                                          {102, RawDay(255, 0)},
                                          {103, RawDay(0, 0)},
                                          {104, RawDay(97, 90)},  // 970 a five minutes at 90 %
                                          {105, test::marginalDay()},
                                          {4500, kHealthyDay},
                                          {106, kHealthyDay}},
                                         true));
}

// Worked out by hand from the days above.
const std::string kMeasuresTail =
    "     Occupancy Spike Count = 0, Volume Spike Count = 0, Deviation Index = 0.0,\r\n"
    "     Vol on high Occ = 0.0, Overcount = 0.0 %\r\n\r\n";
const std::string kBlock102 =
    "102: HIGHLY SUSPICIOUS (due to Missing Data),Possible Comm Fail/Det Fail/Construction\r\n"
    "     Missing = 100%, Consec Zero Vol = 100%, Slots locked = 0, Corr Coef = 0.0000,\r\n" +
    kMeasuresTail;
const std::string kBlock103 =
    "103:  HIGHLY SUSPICIOUS (due to consecutive zero/invalid volume Data),Possible Comm "
    "Fail/Det Fail/Construction\r\n"
    "     Missing = 0%, Consec Zero Vol = 100%, Slots locked = 0, Corr Coef = 0.0000,\r\n" +
    kMeasuresTail;
const std::string kBlock104 =
    "104: SUSPICIOUS (due to Abnormal High Occ), Possible Controller or Detector Error\r\n\r\n"
    "     Missing = 0%, Consec Zero Vol = 0%, Slots locked = 0, Corr Coef = 0.0000,\r\n"
    "     Occupancy Spike Count = 0, Volume Spike Count = 0, Deviation Index = 0.0,\r\n"
    "     Vol on high Occ = 60.6, Overcount = 100.0 %\r\n\r\n";
const std::string kBlock105 =
    "105: MARGINAL (due to Mid DevIndex) \r\n"
    "     Missing = 0%, Consec Zero Vol = 0%, Slots locked = 0, Corr Coef = 0.0000,\r\n"
    "     Occupancy Spike Count = 0, Volume Spike Count = 0, Deviation Index = 12.0,\r\n"
    "     Vol on high Occ = 0.0, Overcount = 0.0 %\r\n\r\n";

TEST(RunHealthTest, AllDetectorsGiveListsCountsAndTheReport) {
    HealthArchive a = sampleDay();
    // Each measured detector's raw day reaches the observer: its first volume byte stands in
    // for the status column of the measures table.
    std::vector<std::string> firstVolumes;
    HealthRunResult r = a.run(kAllDetectors, test::factorySnapshot(),
                              [&](const DetectorOutcome&, const RawDetectorDay* day) {
                                  firstVolumes.push_back(day ? std::to_string(day->vol[0]) : "");
                              });
    EXPECT_EQ(r.highList, (std::vector<std::string>{"102, 100% missing", "103, 100% zero/invalid",
                                                    "106, (no occ data)"}));
    EXPECT_EQ(r.suspList, (std::vector<std::string>{"104, HighOcc AbnormVol, Susp",
                                                    "105, Mid DevIndex, Marginal"}));
    EXPECT_EQ(a.progress, (std::vector<std::pair<int, int>>{
                              {0, 7}, {1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7}, {6, 7}}));
    EXPECT_EQ(a.log.logText(), "Det 106 does not exist\r\n");
    EXPECT_EQ(r.reportFileName, "Diagnostic_Report.txt");
    EXPECT_EQ(r.reportText,
              "Total number of detectors:7\r\n"
              "Total number of healthy detectors:1\r\n"
              "Total number of highly suspicious detectors: 3\r\n"
              "Total number of suspicious detectors: 1\r\n"
              "Total number of marginal detectors: 1\r\n"
              "\r\n"
              "HIGHLY SUSPICIOUS DETECTORS\r\n" +
                  kBlock102 + kBlock103 +
                  "106: Highly Suspicious (No Occupancy Data)\r\n"
                  "\r\n"
                  "SUSPICIOUS DETECTORS\r\n" +
                  kBlock104 +
                  "\r\n"
                  "MARGINAL DETECTORS THAT NEED FURTHER INVESTIGATION\r\n" +
                  kBlock105 + "\r\n");

    EXPECT_EQ(measuresCsvText(r.outcomes, firstVolumes),
              "detector,class,MissingCount,ZeroRunCount,LockOnCount,CorrCoef,OccSpikeCount,"
              "VolSpikeCount,DevIndex,VolOnHighOcc,MaxVol5,OvercountSlots,ValidVolSlots,reason,"
              "status\r\n"
              "101,Hlth,0,0,0,0,0,0,0,0,50,0,2880,HEALTHY ,5\r\n"
              "102,High,2880,2399,0,0,0,0,0,0,0,0,0,\"HIGHLY SUSPICIOUS (due to Missing "
              "Data),Possible Comm Fail/Det Fail/Construction\",255\r\n"
              "103,High,0,2399,0,0,0,0,0,0,0,0,2880,\" HIGHLY SUSPICIOUS (due to consecutive "
              "zero/invalid volume Data),Possible Comm Fail/Det Fail/Construction\",0\r\n"
              "104,Susp,0,0,0,0,0,0,0,60.625,970,2880,2880,\"SUSPICIOUS (due to Abnormal High "
              "Occ), Possible Controller or Detector Error\r\n\",97\r\n"
              "105,Marg,0,0,0,0,0,0,12,0,24,0,2880,MARGINAL (due to Mid DevIndex) ,0\r\n"
              "4500,Excluded,,,,,,,,,,,,Detector Excluded From Testing,\r\n"
              "106,High,,,,,,,,,,,,Highly Suspicious (No Occupancy Data),\r\n");
}

TEST(RunHealthTest, SingleDetectorReports) {
    HealthArchive a = sampleDay();
    const std::tuple<int16_t, std::string, std::vector<std::string>, std::vector<std::string>>
        cases[] = {
            {105, kBlock105 + "\r\n", {}, {"105, Mid DevIndex, Marginal"}},
            {101, "\r\nGood Detector\r\n", {}, {}},
            {4500, "\r\nGood Detector\r\n", {}, {}},  // excluded
            {9999,
             "9999: Highly Suspicious (No Occupancy Data)\r\n\r\n",
             {"9999, (no occ data)"},
             {}},
        };
    for (const auto& [det, report, highList, suspList] : cases) {
        HealthRunResult r = a.run(det);
        EXPECT_EQ(r.reportFileName, "report_single.txt");
        EXPECT_EQ(r.reportText, report) << det;
        EXPECT_EQ(r.highList, highList) << det;
        EXPECT_EQ(r.suspList, suspList) << det;
        EXPECT_EQ(a.progress, (std::vector<std::pair<int, int>>{{det, 7}})) << det;
    }
}

TEST(RunHealthTest, ExcludesBothEndsOfTheRange) {
    HealthArchive a(test::membersOf(
        {{4499, kHealthyDay}, {4500, kHealthyDay}, {4940, kHealthyDay}, {4941, kHealthyDay}}));
    auto classes = [&a](const HealthSnapshot& s) {
        std::string labels;
        for (const DetectorOutcome& o : a.run(kAllDetectors, s).outcomes)
            labels += std::string(healthClassLabel(o.healthClass())) + " ";
        return labels;
    };
    HealthSnapshot s = test::factorySnapshot();
    EXPECT_EQ(classes(s), "Hlth Excluded Excluded Hlth ");
    s.detNoFrom = 4941;  // a range whose first number exceeds its last excludes nothing
    s.detNoTo = 4499;
    EXPECT_EQ(classes(s), "Hlth Hlth Hlth Hlth ");
}

}  // namespace
}  // namespace sorvane::modBaddet
