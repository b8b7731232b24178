#include "history/feed_outage.h"

#include <gtest/gtest.h>

#include "health/health_parameters.h"

namespace sorvane::history {
namespace {

using modBaddet::DecisionStep;
using modBaddet::HealthClass;
using modBaddet::HealthMeasures;

VolumeBytes busyDay() {
    VolumeBytes vol;
    vol.fill(5);
    return vol;
}

// `tested` detectors, of which the first `missing` lose slots 100 to 102.
DayOutages outagesOf(int tested, int missing, double share) {
    MissingSlots slots;
    for (int d = 0; d < tested; ++d) {
        VolumeBytes vol = busyDay();
        if (d < missing) vol[100] = vol[101] = vol[102] = 255;
        slots.add(vol);
    }
    return slots.outages(share);
}

TEST(FeedOutage, ShareOfTestedDetectorsAtItsEdges) {
    struct Case {
        int tested, missing;
        double share;
        bool outage;
    };
    const Case cases[] = {
        {10, 9, 0.9, true},                              // at S
        {10, 8, 0.9, false},                             // just below
        {20, 18, 0.9, true},      {20, 17, 0.9, false},  // 0.85
        {9, 9, 0.9, false},                              // fewer than 10 tested detectors
        {10, 10, 1.0, true},      {10, 9, 1.0, false},
        {1000, 901, 0.901, true}, {1000, 900, 0.901, false},
    };
    for (const Case& c : cases) {
        DayOutages day = outagesOf(c.tested, c.missing, c.share);
        SCOPED_TRACE(std::to_string(c.missing) + " of " + std::to_string(c.tested));
        ASSERT_EQ(day.outages.size(), c.outage ? 1u : 0u);
        EXPECT_EQ(day.outageSlots.count(), c.outage ? 3u : 0u);
        if (c.outage) {
            EXPECT_EQ(day.outages[0].firstSlot, 100);
            EXPECT_EQ(day.outages[0].lastSlot, 102);
            EXPECT_DOUBLE_EQ(day.outages[0].share, static_cast<double>(c.missing) / c.tested);
        }
    }
}

TEST(FeedOutage, MaximalRunsWithTheirLowestShare) {
    MissingSlots slots;
    for (int d = 0; d < 10; ++d) {
        VolumeBytes vol = busyDay();
        for (int i : {10, 12, 2879})
            vol[static_cast<size_t>(i)] = 200;
        if (d > 0) vol[11] = 128;  // 9 of 10 miss slot 11
        slots.add(vol);
    }
    DayOutages day = slots.outages(0.9);
    ASSERT_EQ(day.outages.size(), 2u);
    EXPECT_EQ(day.outages[0].firstSlot, 10);
    EXPECT_EQ(day.outages[0].lastSlot, 12);
    EXPECT_DOUBLE_EQ(day.outages[0].share, 0.9);
    EXPECT_EQ(day.outages[1].firstSlot, 2879);
    EXPECT_DOUBLE_EQ(day.outages[1].share, 1.0);
}

TEST(FeedOutage, OutageSlotsNeitherContinueNorBreakAZeroRun) {
    // Zeros from 04:00:30 for 220 slots, traffic in slots 701 to 710, 260 zeros again: a run
    // of 480 slots (the factory threshold) only when the traffic slots are outage slots.
    VolumeBytes vol = busyDay();
    for (int i = 481; i <= 970; ++i)
        vol[static_cast<size_t>(i)] = i >= 701 && i <= 710 ? 5 : 0;
    SlotMask none, traffic, zeros;
    for (int i = 701; i <= 710; ++i)
        traffic.set(static_cast<size_t>(i));
    for (int i = 481; i <= 490; ++i)
        zeros.set(static_cast<size_t>(i));
    EXPECT_EQ(zeroRunCountSkipping(vol, none, 480.0f), 0);
    EXPECT_EQ(zeroRunCountSkipping(vol, traffic, 480.0f), 480);  // latched
    EXPECT_EQ(zeroRunCountSkipping(vol, zeros, 480.0f), 0);
}

TEST(FeedOutage, AttributionOfEachKindOfDetectorDay) {
    using enum DecisionStep;
    constexpr HealthClass High = HealthClass::High, Susp = HealthClass::Susp,
                          Marg = HealthClass::Marg, Hlth = HealthClass::Hlth;
    modBaddet::HealthSnapshot s = modBaddet::takeHealthSnapshot(factoryParameterTexts());
    struct Case {
        const char* what;
        HealthClass healthClass;
        DecisionStep step;
        std::optional<HealthMeasures> measures;
        int outageMissing;
        int zeroRunOutsideOutage;
        Attribution expected;
    };
    HealthMeasures missing576{.missingCount = 576};
    const Case cases[] = {
        {"575 own missing slots stay below 20 %", High, Missing, missing576, 1, 0,
         Attribution::FeedOutage},
        {"576 own missing slots are 20 %", High, Missing, missing576, 0, 0, Attribution::Detector},
        {"zero run below 480 without the outage", High, ZeroRun, HealthMeasures{}, 0, 479,
         Attribution::FeedOutage},
        {"zero run of 480 without the outage", High, ZeroRun, HealthMeasures{}, 0, 480,
         Attribution::Detector},
        {"locked on", Susp, LockOn, HealthMeasures{}, 300, 0, Attribution::Detector},
        {"unreadable", High, Unreadable, std::nullopt, 0, 0, Attribution::Detector},
        {"marginal", Marg, MidDevIndex, HealthMeasures{}, 300, 0, Attribution::None},
        {"healthy", Hlth, Healthy, HealthMeasures{}, 300, 0, Attribution::None},
        {"excluded", HealthClass::Excluded, DecisionStep::Excluded, std::nullopt, 0, 0,
         Attribution::None},
    };
    for (const Case& c : cases) {
        DetectorDayRecord row;
        row.healthClass = c.healthClass;
        row.step = c.step;
        row.measures = c.measures;
        if (c.measures) row.outageMissing = c.outageMissing;
        EXPECT_EQ(attributionName(attributionOf(row, s, c.zeroRunOutsideOutage)),
                  attributionName(c.expected))
            << c.what;
    }
}

}  // namespace
}  // namespace sorvane::history
