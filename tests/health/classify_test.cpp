#include <gtest/gtest.h>

#include <functional>

#include "health/health_classify.h"
#include "health_days.h"

namespace sorvane::modBaddet {
namespace {

using test::factorySnapshot;

struct Step {
    const char* what;
    std::function<void(HealthMeasures&)> change;
    HealthClass expectedClass;
    const char* listLine;  // of detector 7
    const char* reason;
};

constexpr const char* kMissingReason =
    "HIGHLY SUSPICIOUS (due to Missing Data),Possible Comm Fail/Det Fail/Construction";
constexpr const char* kZeroReason =
    " HIGHLY SUSPICIOUS (due to consecutive zero/invalid volume Data),Possible Comm Fail/Det "
    "Fail/Construction";
constexpr const char* kHighOccReason =
    "SUSPICIOUS (due to Abnormal High Occ), Possible Controller or Detector Error\r\n";

// Each case changes a healthy detector's measures (all zero) so that one step decides.
TEST(ClassifyDetector, DecisionTableInOrder) {
    using enum HealthClass;
    const Step steps[] = {
        {"healthy", [](HealthMeasures&) {}, Hlth, "", "HEALTHY "},
        {"1: 576 of 2880 missing is 20 %", [](HealthMeasures& m) { m.missingCount = 576; }, High,
         "7, 20% missing", kMissingReason},
        {"1: 575 missing passes", [](HealthMeasures& m) { m.missingCount = 575; }, Hlth, "",
         "HEALTHY "},
        {"1 before 3", [](HealthMeasures& m) { m.missingCount = 2880, m.lockOnCount = 100; }, High,
         "7, 100% missing", kMissingReason},
        {"2: zero run of 480", [](HealthMeasures& m) { m.zeroRunCount = 480; }, High,
         "7, 20% zero/invalid", kZeroReason},
        {"2: zero run of 479", [](HealthMeasures& m) { m.zeroRunCount = 479; }, Hlth, "",
         "HEALTHY "},
        {"3: 14 slots locked", [](HealthMeasures& m) { m.lockOnCount = 14; }, Susp,
         "7, 14slots Locked On, Susp", " SUSPICIOUS (due to LockOn)"},
        {"3: 13 slots locked", [](HealthMeasures& m) { m.lockOnCount = 13; }, Hlth, "", "HEALTHY "},
        {"4: rounds to the threshold", [](HealthMeasures& m) { m.corrCoef = 0.99801; }, Susp,
         "7, Cor Coef=0.9980, Pulse Mode, Susp", " SUSPICIOUS (due to Pulse Mode)"},
        {"4: just below", [](HealthMeasures& m) { m.corrCoef = 0.99799; }, Hlth, "", "HEALTHY "},
        {"5: 30 occupancy spikes", [](HealthMeasures& m) { m.occSpikeCount = 30; }, Susp,
         "7, 30 Occ spikes, Susp", " SUSPICIOUS (due to Occ Spikes)"},
        {"5: 29 occupancy spikes", [](HealthMeasures& m) { m.occSpikeCount = 29; }, Hlth, "",
         "HEALTHY "},
        {"6: 25 volume spikes", [](HealthMeasures& m) { m.volSpikeCount = 25; }, Susp,
         "7, 25 Vol spikes, Susp", " SUSPICIOUS (due to Vol Spikes)"},
        {"6: 24 volume spikes", [](HealthMeasures& m) { m.volSpikeCount = 24; }, Hlth, "",
         "HEALTHY "},
        {"7: 60.1 at high occupancy", [](HealthMeasures& m) { m.volOnHighOcc = 60.1f; }, Susp,
         "7, HighOcc AbnormVol, Susp", kHighOccReason},
        {"7: 60.0 passes", [](HealthMeasures& m) { m.volOnHighOcc = 60.0f; }, Hlth, "", "HEALTHY "},
        {"8a: overcount ratio above 0.3",
         [](HealthMeasures& m) {
             m.maxVol5 = 281, m.overcountSlots = 865, m.validVolSlots = 2880.0;
         },
         Susp, "7, OverCnt, Susp", "SUSPICIOUS (due to Overcount Problems)"},
        {"8b: ratio of exactly 0.3 and a high DevIndex",
         [](HealthMeasures& m) {
             m.maxVol5 = 281, m.overcountSlots = 864, m.validVolSlots = 2880.0, m.devIndex = 15;
         },
         Susp, "7, OverCnt, High DevIndex, Susp",
         "SUSPICIOUS (due to Overcount and High DevIndex)"},
        {"8c: ratio 0.2, DevIndex below SuspTh",
         [](HealthMeasures& m) {
             m.maxVol5 = 281, m.overcountSlots = 576, m.validVolSlots = 2880.0, m.devIndex = 13;
         },
         Susp, "7, OverCnt, Transient, Susp",
         "SUSPICIOUS (due to Overcount and Transient Problem)"},
        {"8: MaxVol5 of 280 is no overcount",
         [](HealthMeasures& m) {
             m.maxVol5 = 280, m.overcountSlots = 2880, m.validVolSlots = 2880;
         },
         Hlth, "", "HEALTHY "},
        {"9: DevIndex equal to SuspTh", [](HealthMeasures& m) { m.devIndex = 15.0f; }, Susp,
         "7, High DevIndex, Susp", "SUSPICIOUS (due to Abnormal Pattern, High DevIndex)"},
        {"10: DevIndex equal to MargTh", [](HealthMeasures& m) { m.devIndex = 12.0f; }, Marg,
         "7, Mid DevIndex, Marginal", "MARGINAL (due to Mid DevIndex) "},
        {"10: just below SuspTh", [](HealthMeasures& m) { m.devIndex = 14.99f; }, Marg,
         "7, Mid DevIndex, Marginal", "MARGINAL (due to Mid DevIndex) "},
        {"11: just below MargTh", [](HealthMeasures& m) { m.devIndex = 11.99f; }, Hlth, "",
         "HEALTHY "},
    };
    for (const Step& step : steps) {
        HealthMeasures m;
        step.change(m);
        HealthTally tally;
        DetectorOutcome o = ClassifyDetector(7, m, factorySnapshot(), tally);
        EXPECT_EQ(o.healthClass, step.expectedClass) << step.what;
        EXPECT_EQ(o.listLine, step.listLine) << step.what;
        EXPECT_EQ(o.reason, step.reason) << step.what;
        int counted[] = {tally.highlySuspicious, tally.suspicious, tally.marginal, tally.healthy};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(counted[i], i == static_cast<int>(step.expectedClass) ? 1 : 0) << step.what;
    }
}

TEST(ClassifyDetector, ThresholdsComeFromTheSnapshot) {
    HealthSnapshot s = factorySnapshot();
    s.zeroRunSlots = 30.0f;
    s.lockOnSlots = 5.0f;
    s.missingFraction = 0.5f;
    HealthMeasures m;
    m.missingCount = 1000;  // 35 %: below 50 %
    m.zeroRunCount = 30;
    HealthTally tally;
    EXPECT_EQ(ClassifyDetector(1, m, s, tally).listLine, "1, 1% zero/invalid");
    m.zeroRunCount = 0;
    m.lockOnCount = 5;
    EXPECT_EQ(ClassifyDetector(1, m, s, tally).listLine, "1, 5slots Locked On, Susp");
}

TEST(MeasuresText, ThreeLinesAndABlankOne) {
    HealthMeasures m;
    m.missingCount = 72;    // 2.5 %: the half rounds up
    m.zeroRunCount = 2399;  // 99.96 %
    m.lockOnCount = 14;
    m.corrCoef = -0.12345;
    m.occSpikeCount = 3;
    m.volSpikeCount = 25;
    m.devIndex = 12.25f;
    m.volOnHighOcc = 60.04f;
    m.overcountSlots = 1;
    m.validVolSlots = 3.0;
    EXPECT_EQ(measuresText(m),
              "     Missing = 3%, Consec Zero Vol = 100%, Slots locked = 14, Corr Coef = -0.1235,"
              "\r\n"
              "     Occupancy Spike Count = 3, Volume Spike Count = 25, Deviation Index = 12.3,"
              "\r\n"
              "     Vol on high Occ = 60.0, Overcount = 33.3 %\r\n\r\n");
    HealthMeasures empty;  // no valid volume slot: 0.0 %
    EXPECT_EQ(measuresText(empty),
              "     Missing = 0%, Consec Zero Vol = 0%, Slots locked = 0, Corr Coef = 0.0000,\r\n"
              "     Occupancy Spike Count = 0, Volume Spike Count = 0, Deviation Index = 0.0,\r\n"
              "     Vol on high Occ = 0.0, Overcount = 0.0 %\r\n\r\n");
}

TEST(DetectorBlocks, GoIntoTheSectionOfTheirClass) {
    HealthSnapshot s = factorySnapshot();
    HealthTally tally;
    HealthMeasures zeroRun;
    zeroRun.zeroRunCount = 2399;
    HealthMeasures highOcc;
    highOcc.volOnHighOcc = 61.0f;
    HealthMeasures marginal;
    marginal.devIndex = 13.0f;
    const DetectorOutcome outcomes[] = {
        ClassifyDetector(11, zeroRun, s, tally),          ClassifyUnreadable(12, tally),
        ClassifyDetector(13, highOcc, s, tally),          ClassifyDetector(14, marginal, s, tally),
        ClassifyDetector(15, HealthMeasures{}, s, tally), ClassifyExcluded(16, tally),
    };
    for (const DetectorOutcome& o : outcomes)
        AppendToSections(tally, o);

    EXPECT_EQ(tally.highSection,
              "11:  HIGHLY SUSPICIOUS (due to consecutive zero/invalid volume Data),Possible Comm "
              "Fail/Det Fail/Construction\r\n" +
                  outcomes[0].measuresText + "12: Highly Suspicious (No Occupancy Data)\r\n");
    EXPECT_EQ(tally.suspSection,
              "13: SUSPICIOUS (due to Abnormal High Occ), Possible Controller or Detector "
              "Error\r\n\r\n" +
                  outcomes[2].measuresText);
    EXPECT_EQ(tally.margSection,
              "14: MARGINAL (due to Mid DevIndex) \r\n" + outcomes[3].measuresText);
    EXPECT_EQ(outcomes[1].listLine, "12, (no occ data)");
    EXPECT_EQ(outcomes[1].measuresText, "");
    EXPECT_EQ(outcomes[5].healthClass, HealthClass::Excluded);
    EXPECT_EQ(outcomes[5].listLine, "");
    EXPECT_EQ(outcomes[5].measuresText, "Detector Excluded From Testing");
    EXPECT_EQ(tally.highlySuspicious, 2);
    EXPECT_EQ(tally.suspicious, 1);
    EXPECT_EQ(tally.marginal, 1);
    EXPECT_EQ(tally.healthy, 1);
    EXPECT_EQ(tally.excluded, 1);
}

}  // namespace
}  // namespace sorvane::modBaddet
