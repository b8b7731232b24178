#include <gtest/gtest.h>

#include "health/health_classify.h"
#include "health/health_outcome_text.h"
#include "health/health_report.h"
#include "health_days.h"

namespace sorvane::modBaddet {
namespace {

using M = HealthMeasures;

struct Step {
    const char* what;
    HealthMeasures m;
    HealthClass expectedClass;
    const char* step;      // the row's stored name
    const char* listLine;  // of detector 7
    const char* reason;
};

constexpr const char* kHealthy = "HEALTHY ";
constexpr const char* kMissing =
    "HIGHLY SUSPICIOUS (due to Missing Data),Possible Comm Fail/Det Fail/Construction";
constexpr const char* kOvercount = "SUSPICIOUS (due to Overcount Problems)";

TEST(ClassifyDetector, DecisionTableInOrder) {
    using enum HealthClass;
    const Step steps[] = {
        {"healthy", M{}, Hlth, "healthy", "", kHealthy},
        {"1: 576 of 2880 is 20 %", M{.missingCount = 576}, High, "missing", "7, 20% missing",
         kMissing},
        {"1: 575 passes", M{.missingCount = 575}, Hlth, "healthy", "", kHealthy},
        {"1 before 3", M{.missingCount = 2880, .lockOnCount = 99}, High, "missing",
         "7, 100% missing", kMissing},
        {"2: 480", M{.zeroRunCount = 480}, High, "zero_run", "7, 20% zero/invalid",
         " HIGHLY SUSPICIOUS (due to consecutive zero/invalid volume Data),Possible Comm Fail/Det "
         "Fail/Construction"},
        {"2: 479", M{.zeroRunCount = 479}, Hlth, "healthy", "", kHealthy},
        {"3: 14", M{.lockOnCount = 14}, Susp, "lock_on", "7, 14slots Locked On, Susp",
         " SUSPICIOUS (due to LockOn)"},
        {"3: 13", M{.lockOnCount = 13}, Hlth, "healthy", "", kHealthy},
        {"4: rounds to 0.9985", M{.corrCoef = 0.99801}, Susp, "pulse",
         "7, Cor Coef=0.9980, Pulse Mode, Susp", " SUSPICIOUS (due to Pulse Mode)"},
        {"4: below", M{.corrCoef = 0.99799}, Hlth, "healthy", "", kHealthy},
        {"5: 30", M{.occSpikeCount = 30}, Susp, "occ_spikes", "7, 30 Occ spikes, Susp",
         " SUSPICIOUS (due to Occ Spikes)"},
        {"5: 29", M{.occSpikeCount = 29}, Hlth, "healthy", "", kHealthy},
        {"6: 25", M{.volSpikeCount = 25}, Susp, "vol_spikes", "7, 25 Vol spikes, Susp",
         " SUSPICIOUS (due to Vol Spikes)"},
        {"6: 24", M{.volSpikeCount = 24}, Hlth, "healthy", "", kHealthy},
        {"7: 60.1", M{.volOnHighOcc = 60.1f}, Susp, "high_occ_vol", "7, HighOcc AbnormVol, Susp",
         "SUSPICIOUS (due to Abnormal High Occ), Possible Controller or Detector Error\r\n"},
        {"7: 60.0", M{.volOnHighOcc = 60.0f}, Hlth, "healthy", "", kHealthy},
        {"8a: ratio above 0.3", M{.maxVol5 = 281, .overcountSlots = 865, .validVolSlots = 2880},
         Susp, "overcount", "7, OverCnt, Susp", kOvercount},
        {"8b: ratio 0.3, DevIndex 15",
         M{.devIndex = 15, .maxVol5 = 281, .overcountSlots = 864, .validVolSlots = 2880}, Susp,
         "overcount_devindex", "7, OverCnt, High DevIndex, Susp",
         "SUSPICIOUS (due to Overcount and High DevIndex)"},
        {"8c: ratio 0.2, DevIndex 13",
         M{.devIndex = 13, .maxVol5 = 281, .overcountSlots = 576, .validVolSlots = 2880}, Susp,
         "overcount_transient", "7, OverCnt, Transient, Susp",
         "SUSPICIOUS (due to Overcount and Transient Problem)"},
        {"8: MaxVol5 280", M{.maxVol5 = 280, .overcountSlots = 2880, .validVolSlots = 2880}, Hlth,
         "healthy", "", kHealthy},
        {"9: DevIndex = SuspTh", M{.devIndex = 15}, Susp, "high_devindex", "7, High DevIndex, Susp",
         "SUSPICIOUS (due to Abnormal Pattern, High DevIndex)"},
        {"10: DevIndex = MargTh", M{.devIndex = 12}, Marg, "mid_devindex",
         "7, Mid DevIndex, Marginal", "MARGINAL (due to Mid DevIndex) "},
        {"10: just below SuspTh", M{.devIndex = 14.99f}, Marg, "mid_devindex",
         "7, Mid DevIndex, Marginal", "MARGINAL (due to Mid DevIndex) "},
        {"11: just below MargTh", M{.devIndex = 11.99f}, Hlth, "healthy", "", kHealthy},
    };
    for (const Step& step : steps) {
        DetectorOutcome o = ClassifyDetector(7, step.m, test::factorySnapshot());
        EXPECT_EQ(o.healthClass(), step.expectedClass) << step.what;
        EXPECT_EQ(decisionStepName(o.step), step.step) << step.what;
        EXPECT_EQ(ListLine(o), step.listLine) << step.what;
        EXPECT_EQ(reasonText(o.step), step.reason) << step.what;
        HealthTally tally;
        countOutcome(tally, o);
        int counted[] = {tally.highlySuspicious, tally.suspicious, tally.marginal, tally.healthy};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(counted[i], i == static_cast<int>(step.expectedClass) ? 1 : 0) << step.what;
    }
}

TEST(MeasuresText, ThreeLinesAndABlankOne) {
    // 72 missing is 2.5 %: the half rounds away from zero; 2399 zero slots are 99.96 %.
    M m{.missingCount = 72,
        .zeroRunCount = 2399,
        .lockOnCount = 14,
        .corrCoef = -0.12345,
        .occSpikeCount = 3,
        .volSpikeCount = 25,
        .devIndex = 12.25f,
        .volOnHighOcc = 60.04f,
        .overcountSlots = 1,
        .validVolSlots = 3.0};
    EXPECT_EQ(measuresText(m),
              "     Missing = 3%, Consec Zero Vol = 100%, Slots locked = 14, Corr Coef = -0.1235,"
              "\r\n     Occupancy Spike Count = 3, Volume Spike Count = 25, Deviation Index = 12.3,"
              "\r\n     Vol on high Occ = 60.0, Overcount = 33.3 %\r\n\r\n");
    EXPECT_NE(measuresText(M{}).find("Overcount = 0.0 %"), std::string::npos);  // no valid slot
}

}  // namespace
}  // namespace sorvane::modBaddet
