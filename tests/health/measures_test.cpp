#include <gtest/gtest.h>

#include <limits>

#include "health/health_measures.h"
#include "health_days.h"

namespace sorvane::modBaddet {
namespace {

using test::RawDay;

template <typename T>
struct Case {
    const char* what;
    RawDay day;
    T expected;
};

// Checks one measure over a table of days.
template <typename T>
void expectEach(T HealthMeasures::*measure, std::initializer_list<Case<T>> cases,
                const HealthSnapshot& s = test::factorySnapshot()) {
    for (const Case<T>& c : cases)
        EXPECT_EQ(ComputeHealthMeasures(c.day.vol, c.day.occ, s).*measure, c.expected) << c.what;
}

// A day whose bins (ten slots) carry the given volume per slot and occupancy.
RawDay bins(std::initializer_list<std::tuple<int, uint8_t, float>> list, float rest = 0.0f) {
    RawDay day(0, rest);
    for (auto [bin, vol, occ] : list)
        day.volumes(bin * 10, bin * 10 + 9, vol).occupancies(bin * 10, bin * 10 + 9, occ);
    return day;
}

// Slot i: volume i % period, occupancy factor * that volume.
RawDay proportional(int period, float factor) {
    RawDay day(0, 0.0f);
    for (int i = 0; i < 2880; ++i) {
        auto v = static_cast<uint8_t>(i % period);
        day.volumes(i, i, v).occupancies(i, i, v * factor);
    }
    return day;
}

TEST(WorkingDay, MarksWhatTheHealthTestCannotUse) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::tuple<uint8_t, float, int16_t, float> cases[] = {
        {127, 100.0f, 127, 100.0f},
        {128, 100.01f, -1, -1.0f},
        {255, nan, -1, -1.0f},
        {0, -0.1f, 0, -0.1f},  // only -1.0 marks an invalid occupancy
    };
    for (auto [vol, occ, expectedVol, expectedOcc] : cases) {
        RawDay raw(vol, occ);
        HealthWorkingDay day = healthWorkingDay(raw.vol, raw.occ);
        EXPECT_EQ(day.vol[7], expectedVol);
        EXPECT_EQ(day.occ[7], expectedOcc);
    }
}

TEST(Runs, ZeroAndLockOnLatchOnTheFirstLongRun) {
    // Factory: 480 slots; slots up to 480 (04:00:30) are ignored.
    expectEach<int16_t>(
        &HealthMeasures::zeroRunCount,
        {{"zero until slot 1000", RawDay(5, 5).volumes(0, 1000, 0), 520},
         {"479 reset", RawDay(5, 5).volumes(1000, 1478, 0), 0},
         {"480 latch", RawDay(5, 5).volumes(1000, 1479, 0), 480},
         {"later zero adds", RawDay(5, 5).volumes(1000, 1479, 0).volumes(2000, 2000, 0), 481},
         {"invalid counts as zero", RawDay(5, 5).volumes(1000, 1479, 200), 480}});
    // Factory: 14 slots.
    expectEach<int16_t>(&HealthMeasures::lockOnCount,
                        {{"13 reset", RawDay(5, 5).occupancies(100, 112, 100), 0},
                         {"14 latch", RawDay(5, 5).occupancies(100, 113, 100), 14},
                         {"later slot adds",
                          RawDay(5, 5).occupancies(100, 113, 100).occupancies(900, 900, 100), 15},
                         {"at midnight", RawDay(5, 5).occupancies(2866, 2879, 100), 14},
                         {"100.01 is invalid", RawDay(5, 5).occupancies(100, 200, 100.01f), 0}});
    HealthSnapshot s = test::factorySnapshot();
    s.lockOnSlots = 13.5f;  // 6.75 minutes: a run of 13 is still below it
    expectEach<int16_t>(&HealthMeasures::lockOnCount,
                        {{"13 of 13.5", RawDay(5, 5).occupancies(100, 112, 100), 0},
                         {"14 of 13.5", RawDay(5, 5).occupancies(100, 113, 100), 14}},
                        s);
}

TEST(CorrCoef, PearsonOrZeroForAConstantSide) {
    RawDay rising = proportional(23, 0.7f);
    RawDay inverse = proportional(23, -1.0f).volumes(10, 20, 200).occupancies(30, 40, 300);
    const HealthSnapshot s = test::factorySnapshot();
    EXPECT_GT(ComputeHealthMeasures(rising.vol, rising.occ, s).corrCoef, 0.9999);
    EXPECT_LT(ComputeHealthMeasures(inverse.vol, inverse.occ, s).corrCoef, -0.9999);
    // 45.1 and 7.7 are no floats: their squares round, so B comes out a tiny positive.
    RawDay varying = proportional(17, 0.0f);
    expectEach<double>(&HealthMeasures::corrCoef,
                       {{"occupancy 0", varying, 0.0},
                        {"occupancy 45.1", RawDay(varying).occupancies(0, 2879, 45.1f), 0.0},
                        {"occupancy 7.7", RawDay(varying).occupancies(0, 2879, 7.7f), 0.0},
                        {"constant volume", RawDay(9, 0).occupancies(0, 1439, 20), 0.0},
                        {"no valid slot", RawDay(200, 300), 0.0}});
}

TEST(Spikes, HeightAgainstBothValidNeighbours) {
    // 0, 30, 0 gives slot 1000 the height 30.0 and its neighbours 21.2.
    RawDay occSpike = RawDay(5, 0).occupancies(1000, 1000, 30);
    HealthSnapshot s = test::factorySnapshot();
    for (auto [threshold, expected] : {std::pair{29.99f, 1}, {30.0f, 0}, {21.0f, 3}}) {
        s.occSpikeTh = threshold;
        EXPECT_EQ(ComputeHealthMeasures(occSpike.vol, occSpike.occ, s).occSpikeCount, expected);
    }
    s.occSpikeTh = 20.0f;
    expectEach<int16_t>(
        &HealthMeasures::occSpikeCount,
        {{"beside an invalid slot", RawDay(occSpike).occupancies(1001, 1001, 100.5f), 1},
         {"ends of the day", RawDay(5, 0).occupancies(0, 0, 90).occupancies(2879, 2879, 90), 2}},
        s);
    // Step 0 -> 22: sqrt(242) = 15.56 rounds to 16 on both sides; 0 -> 21: 14.85 rounds to 15.
    expectEach<int16_t>(
        &HealthMeasures::volSpikeCount,
        {{"step of 22", RawDay(0, 5).volumes(1000, 2879, 22), 2},
         {"step of 21", RawDay(0, 5).volumes(1000, 2879, 21), 0},
         {"0, 20, 0", RawDay(0, 5).volumes(1000, 1000, 20), 1},
         {"beside an invalid slot", RawDay(0, 5).volumes(1000, 1000, 20).volumes(1001, 1001, 128),
          0},
         {"ends of the day", RawDay(0, 5).volumes(0, 0, 60).volumes(2879, 2879, 60), 2}});
}

TEST(Bins, OvercountAndMaxVol5) {
    RawDay day = RawDay(5, 5).volumes(0, 99, 20).volumes(100, 199, 19).volumes(200, 499, 128);
    HealthMeasures m = ComputeHealthMeasures(day.vol, day.occ, test::factorySnapshot());
    EXPECT_EQ(m.overcountSlots, 100);
    EXPECT_EQ(m.validVolSlots, 2580.0);
    // Only bins that enter the occupancy profile count: not those with a negative occupancy.
    expectEach<int16_t>(
        &HealthMeasures::maxVol5,
        {{"280", bins({{10, 28, 20}}), 280},
         {"negative occupancies", bins({{10, 28, 20}, {12, 120, -5}, {14, 110, -0.3f}}), 280},
         {"no valid occupancy is 0 %", bins({{10, 28, 20}, {13, 30, 101}}), 300},
         {"invalid volumes", RawDay(200, 10), 0}});
}

TEST(Profile, DevIndexAndVolumeOnHighOccupancy) {
    const float lowAndHigh = 0.7f * 15.0f + 0.3f * 5.0f;
    expectEach<float>(
        &HealthMeasures::devIndex,
        {{"entry 5: 0 and 30", bins({{5, 0, 5}, {6, 3, 5}}), 15.0f},
         {"entries 19 and 20 fall apart", bins({{5, 0, 19}, {6, 3, 19}, {50, 0, 20}, {51, 1, 20}}),
          lowAndHigh},
         {"only entry 50", bins({{50, 0, 50}, {51, 1, 50}}), 5.0f},
         {"spread of one vehicle", bins({{5, 0, 5}, {6, 0, 5}}).volumes(60, 60, 2), 0.0f},
         {"quiet day", RawDay(0, 0), 0.0f}});
    // Bin occupancies round halves to even: 84.5 to 84, 85.5 to 86.
    expectEach<float>(&HealthMeasures::volOnHighOcc,
                      {{"exactly 60", bins({{40, 96, 90}}, 10), 60.0f},
                       {"mean 965", bins({{40, 96, 90}, {41, 97, 90}}, 10), 965.0f / 16},
                       {"84.5", bins({{40, 16, 84.5f}}, 10), 0.0f},
                       {"85.5", bins({{40, 16, 85.5f}}, 10), 10.0f},
                       {"entry 100", bins({{40, 16, 100}}, 10), 10.0f},
                       {"never at 85 %", RawDay(30, 40), 0.0f}});
}

}  // namespace
}  // namespace sorvane::modBaddet
