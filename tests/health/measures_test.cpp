#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "health/health_measures.h"
#include "health_days.h"

namespace sorvane::modBaddet {
namespace {

using test::factorySnapshot;
using test::RawDay;

HealthMeasures measure(const RawDay& day, const HealthSnapshot& s = factorySnapshot()) {
    return ComputeHealthMeasures(day.vol, day.occ, s);
}

// A bin (ten slots) of one volume per slot and one occupancy.
void setBin(RawDay& day, int bin, uint8_t volume, float occupancy) {
    day.volumes(bin * 10, bin * 10 + 9, volume).occupancies(bin * 10, bin * 10 + 9, occupancy);
}

TEST(WorkingDay, MarksWhatTheHealthTestCannotUse) {
    struct Case {
        uint8_t vol;
        float occ;
        int16_t expectedVol;
        float expectedOcc;
    };
    const Case cases[] = {
        {127, 100.0f, 127, 100.0f},
        {128, 100.01f, -1, -1.0f},
        {255, std::numeric_limits<float>::quiet_NaN(), -1, -1.0f},
        {0, -0.1f, 0, -0.1f},  // negative occupancies stay: only -1.0 means invalid
        {0, -3276.8f, 0, -3276.8f},
    };
    for (const Case& c : cases) {
        RawDay raw(c.vol, c.occ);
        HealthWorkingDay day = healthWorkingDay(raw.vol, raw.occ);
        EXPECT_EQ(day.vol[7], c.expectedVol) << int{c.vol};
        EXPECT_EQ(day.occ[7], c.expectedOcc) << c.occ;
    }
}

TEST(MissingCount, CountsInvalidVolumeBytes) {
    EXPECT_EQ(measure(RawDay(127, 5.0f)).missingCount, 0);
    EXPECT_EQ(measure(RawDay(128, 5.0f)).missingCount, 2880);
    EXPECT_EQ(measure(RawDay(5, 5.0f).volumes(100, 675, 255)).missingCount, 576);
}

TEST(ZeroRunCount, LatchesOnTheFirstLongRunAfterFourOClock) {
    struct Case {
        const char* what;
        RawDay day;
        int16_t expected;
    };
    const Case cases[] = {
        {"zeros from midnight to slot 1000", RawDay(5, 5.0f).volumes(0, 1000, 0), 520},
        {"479 slots reset by a positive slot", RawDay(5, 5.0f).volumes(1000, 1478, 0), 0},
        {"480 slots latch", RawDay(5, 5.0f).volumes(1000, 1479, 0), 480},
        {"a later zero still adds", RawDay(5, 5.0f).volumes(1000, 1479, 0).volumes(2000, 2000, 0),
         481},
        {"invalid slots count as zero", RawDay(5, 5.0f).volumes(1000, 1479, 200), 480},
        {"slot 480 is ignored, 481 counts", RawDay(5, 5.0f).volumes(470, 2879, 0), 2399},
        {"a run until midnight", RawDay(5, 5.0f).volumes(2400, 2879, 0), 480},
        {"dead all day", RawDay(0, 0.0f), 2399},
    };
    for (const Case& c : cases)
        EXPECT_EQ(measure(c.day).zeroRunCount, c.expected) << c.what;
}

TEST(LockOnCount, LatchesOnTheFirstLongRunAtFullOccupancy) {
    // Factory: 7 minutes, 14 slots.
    struct Case {
        const char* what;
        RawDay day;
        int16_t expected;
    };
    const Case cases[] = {
        {"13 slots reset", RawDay(5, 5.0f).occupancies(100, 112, 100.0f), 0},
        {"14 slots latch", RawDay(5, 5.0f).occupancies(100, 113, 100.0f), 14},
        {"a later slot adds",
         RawDay(5, 5.0f).occupancies(100, 113, 100.0f).occupancies(900, 900, 100.0f), 15},
        {"a run at the end of the day", RawDay(5, 5.0f).occupancies(2866, 2879, 100.0f), 14},
        {"100.01 is invalid, not full", RawDay(5, 5.0f).occupancies(100, 200, 100.01f), 0},
        {"99.99 is not full", RawDay(5, 5.0f).occupancies(100, 200, 99.99f), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(measure(c.day).lockOnCount, c.expected) << c.what;

    // 6.75 minutes: 13.5 slots; a run of 13 is still below it.
    HealthSnapshot s = factorySnapshot();
    s.lockOnSlots = 13.5f;
    EXPECT_EQ(measure(RawDay(5, 5.0f).occupancies(100, 112, 100.0f), s).lockOnCount, 0);
    EXPECT_EQ(measure(RawDay(5, 5.0f).occupancies(100, 113, 100.0f), s).lockOnCount, 14);
}

TEST(CorrCoef, PearsonOfVolumeAgainstOccupancy) {
    RawDay pulse(0, 0.0f);
    for (int i = 0; i < 2880; ++i) {
        auto v = static_cast<uint8_t>(i % 23);
        pulse.volumes(i, i, v).occupancies(i, i, v * 0.7f);
    }
    EXPECT_GT(measure(pulse).corrCoef, 0.9999);

    // Inverse relation, with invalid slots that must not take part.
    RawDay inverse = pulse;
    for (int i = 0; i < 2880; ++i)
        inverse.occupancies(i, i, 50.0f - static_cast<float>(inverse.vol[static_cast<size_t>(i)]));
    inverse.volumes(10, 20, 200).occupancies(30, 40, 300.0f);
    EXPECT_LT(measure(inverse).corrCoef, -0.9999);
}

TEST(CorrCoef, IsZeroForAConstantSideWhateverCameBefore) {
    RawDay varying(0, 0.0f);
    for (int i = 0; i < 2880; ++i)
        varying.volumes(i, i, static_cast<uint8_t>(i % 17));
    struct Case {
        const char* what;
        RawDay day;
    };
    const Case cases[] = {
        {"occupancy 0 all day", varying},
        // 45.1 and 7.7 are not floats: their squares round, so B comes out a tiny positive.
        {"occupancy 45.1 all day", RawDay(varying).occupancies(0, 2879, 45.1f)},
        {"occupancy 7.7 all day", RawDay(varying).occupancies(0, 2879, 7.7f)},
        {"constant volume", RawDay(9, 0.0f).occupancies(0, 1439, 20.0f)},
        {"no valid slot", RawDay(200, 300.0f)},
    };
    RawDay pulse(0, 0.0f);
    for (int i = 0; i < 2880; ++i)
        pulse.volumes(i, i, static_cast<uint8_t>(i % 9)).occupancies(i, i, (i % 9) * 2.0f);
    for (const Case& c : cases) {
        ASSERT_GT(measure(pulse).corrCoef, 0.9999);  // the detector tested just before
        EXPECT_EQ(measure(c.day).corrCoef, 0.0) << c.what;
    }
}

TEST(OccSpikeCount, HeightAgainstBothNeighbours) {
    // 0, 30, 0 gives slot 1000 the height 30.0; its neighbours get 21.2.
    RawDay spike = RawDay(5, 0.0f).occupancies(1000, 1000, 30.0f);
    HealthSnapshot s = factorySnapshot();
    s.occSpikeTh = 29.99f;
    EXPECT_EQ(measure(spike, s).occSpikeCount, 1);
    s.occSpikeTh = 30.0f;  // strictly greater
    EXPECT_EQ(measure(spike, s).occSpikeCount, 0);
    s.occSpikeTh = 21.0f;
    EXPECT_EQ(measure(spike, s).occSpikeCount, 3);

    s.occSpikeTh = 20.0f;
    RawDay besideInvalid = RawDay(spike).occupancies(1001, 1001, 100.5f);
    EXPECT_EQ(measure(besideInvalid, s).occSpikeCount, 1);  // only slot 999
    RawDay atMidnight = RawDay(5, 0.0f).occupancies(0, 0, 90.0f).occupancies(2879, 2879, 90.0f);
    EXPECT_EQ(measure(atMidnight, s).occSpikeCount, 2);  // slots 1 and 2878, never 0 or 2879
}

TEST(VolSpikeCount, RoundedHeightAgainstBothNeighbours) {
    struct Case {
        const char* what;
        RawDay day;
        int16_t expected;
    };
    const Case cases[] = {
        // A step 0 -> 22: heights sqrt(242) = 15.56 round to 16 on both sides of the step.
        {"step of 22", RawDay(0, 5.0f).volumes(1000, 2879, 22), 2},
        // sqrt(220.5) = 14.85 rounds to 15, not above 15.
        {"step of 21", RawDay(0, 5.0f).volumes(1000, 2879, 21), 0},
        // 0, 20, 0: height 20 at the spike, 14 beside it.
        {"single spike", RawDay(0, 5.0f).volumes(1000, 1000, 20), 1},
        {"spike beside an invalid slot",
         RawDay(0, 5.0f).volumes(1000, 1000, 20).volumes(1001, 1001, 128), 0},
        {"spikes at the ends of the day", RawDay(0, 5.0f).volumes(0, 0, 60).volumes(2879, 2879, 60),
         2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(measure(c.day).volSpikeCount, c.expected) << c.what;
}

TEST(Overcount, CountsSlotsOfTwentyVehiclesAmongValidSlots) {
    RawDay day = RawDay(5, 5.0f).volumes(0, 99, 20).volumes(100, 199, 19).volumes(200, 499, 128);
    HealthMeasures m = measure(day);
    EXPECT_EQ(m.overcountSlots, 100);
    EXPECT_EQ(m.validVolSlots, 2580.0);
    EXPECT_DOUBLE_EQ(overcountRatio(m), 100.0 / 2580.0);

    HealthMeasures none = measure(RawDay(200, 5.0f));
    EXPECT_EQ(none.validVolSlots, 0.0);
    EXPECT_EQ(overcountRatio(none), 0.0);
}

TEST(MaxVol5, LargestBinThatEntersTheProfile) {
    RawDay day(0, 0.0f);
    setBin(day, 10, 28, 20.0f);  // 280
    EXPECT_EQ(measure(day).maxVol5, 280);
    setBin(day, 11, 29, 20.0f);  // 290
    EXPECT_EQ(measure(day).maxVol5, 290);
    // A bin with a negative occupancy stays out of the profile and of MaxVol5.
    setBin(day, 12, 120, -5.0f);
    setBin(day, 14, 110, -0.3f);  // rounds to 0, but is negative
    EXPECT_EQ(measure(day).maxVol5, 290);
    // A bin without any valid occupancy has occupancy 0 and counts.
    setBin(day, 13, 30, 101.0f);
    EXPECT_EQ(measure(day).maxVol5, 300);
    // Invalid volumes add nothing to their bin.
    EXPECT_EQ(measure(RawDay(200, 10.0f)).maxVol5, 0);
}

TEST(DevIndex, WeighsLowAndHighOccupancies) {
    struct Case {
        const char* what;
        RawDay day;
        float expected;
    };
    RawDay quiet(0, 0.0f);  // entry 0 only, volume 0
    RawDay lowPair(0, 0.0f);
    setBin(lowPair, 5, 0, 5.0f);
    setBin(lowPair, 6, 3, 5.0f);  // entry 5: 0 and 30 -> sd 15
    RawDay both = lowPair;
    setBin(both, 50, 0, 50.0f);
    setBin(both, 51, 1, 50.0f);  // entry 50: 0 and 10 -> sd 5
    RawDay highOnly(0, 0.0f);
    setBin(highOnly, 50, 0, 50.0f);
    setBin(highOnly, 51, 1, 50.0f);
    RawDay unitSpread(0, 0.0f);
    setBin(unitSpread, 5, 0, 5.0f);
    setBin(unitSpread, 6, 0, 5.0f);
    unitSpread.volumes(60, 60, 2);  // entry 5: 0 and 2 -> sd 1, not above 1
    RawDay allInvalidOcc(0, 0.0f);  // bins without valid occupancy fall into entry 0
    setBin(allInvalidOcc, 7, 3, 250.0f);
    const Case cases[] = {
        {"one entry at low occupancy", lowPair, 15.0f},
        {"both groups", both, 0.7f * 15.0f + 0.3f * 5.0f},
        {"only the high group", highOnly, 5.0f},
        {"spread of one vehicle", unitSpread, 0.0f},
        {"quiet day", quiet, 0.0f},
        {"entry 0 from bins without occupancy", allInvalidOcc,
         static_cast<float>(std::sqrt(287.0 * 900 / (288 * 288)))},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(measure(c.day).devIndex, c.expected) << c.what;
}

TEST(VolOnHighOcc, MeanVolumeOverEntries85To100) {
    struct Case {
        const char* what;
        RawDay day;
        float expected;
    };
    RawDay sixty(0, 10.0f);
    setBin(sixty, 40, 96, 90.0f);  // entry 90: 960 vehicles
    RawDay aboveSixty(0, 10.0f);
    setBin(aboveSixty, 40, 96, 90.0f);
    setBin(aboveSixty, 41, 97, 90.0f);  // entry 90: mean 965
    RawDay halfBelow(0, 10.0f);
    setBin(halfBelow, 40, 16, 84.5f);  // rounds to the even 84: not high
    RawDay halfAbove(0, 10.0f);
    setBin(halfAbove, 40, 16, 85.5f);  // rounds to the even 86
    RawDay full(0, 10.0f);
    setBin(full, 40, 16, 100.0f);
    const Case cases[] = {
        {"exactly 60", sixty, 60.0f},
        {"above 60", aboveSixty, 965.0f / 16.0f},
        {"84.5 rounds to 84", halfBelow, 0.0f},
        {"85.5 rounds to 86", halfAbove, 10.0f},
        {"entry 100", full, 10.0f},
        {"never at high occupancy", RawDay(30, 40.0f), 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(measure(c.day).volOnHighOcc, c.expected) << c.what;
}

TEST(HealthMeasures, FullOfInvalidSlots) {
    HealthMeasures m = measure(RawDay(255, -1.0f));
    EXPECT_EQ(m.missingCount, 2880);
    EXPECT_EQ(m.zeroRunCount, 2399);
    EXPECT_EQ(m.lockOnCount, 0);
    EXPECT_EQ(m.corrCoef, 0.0);
    EXPECT_EQ(m.occSpikeCount, 0);
    EXPECT_EQ(m.volSpikeCount, 0);
    EXPECT_EQ(m.devIndex, 0.0f);
    EXPECT_EQ(m.volOnHighOcc, 0.0f);
    EXPECT_EQ(m.maxVol5, 0);
    EXPECT_EQ(m.overcountSlots, 0);
    EXPECT_EQ(m.validVolSlots, 0.0);
}

}  // namespace
}  // namespace sorvane::modBaddet
