#include "archive/interval_data.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

const IntervalSpec& interval(std::string_view label) {
    return intervalAt(*intervalPosition(label));
}

DetectorDay dayOf(DetSlot slot) {
    DetectorDay day;
    day.fill(slot);
    return day;
}

TEST(AggregateDay, IntervalCountsAndStartTimes) {
    for (const IntervalSpec& row : kIntervals) {
        IntervalData data = aggregateDay(dayOf({1, 2.0f}), row, MissingOption::SetToZero);
        ASSERT_EQ(data.values.size(), static_cast<size_t>(row.intervalsPerDay)) << row.label;
        EXPECT_EQ(data.values[0].vol, row.slotsPerInterval) << row.label;
        EXPECT_EQ(data.values[0].occ, 2.0f) << row.label;
        EXPECT_EQ(data.startSeconds.back(), 86400 - row.secondsPerInterval) << row.label;
    }
}

TEST(AggregateDay, MissingOccupancyDecidesTheMinusOne) {
    DetectorDay day = dayOf({4, 10.0f});
    day[0] = {7, -1.0f};   // missing occupancy, valid volume
    day[10] = {-1, 5.0f};  // missing volume, valid occupancy
    day[20] = {-1, -1.0f};

    struct Case {
        const char* label;
        MissingOption missing;
        size_t index;
        int16_t vol;
        float occ;
    };
    const Case cases[] = {
        {"30 sec", MissingOption::SetToNegative, 0, -1, 0.0f},
        {"30 sec", MissingOption::SetToZero, 0, 7, 0.0f},       // no valid occupancy: 0
        {"30 sec", MissingOption::SetToNegative, 10, 0, 5.0f},  // volume -1 alone is no marker
        {"5 min", MissingOption::SetToNegative, 0, -1, 10.0f},  // mean of the other nine
        {"5 min", MissingOption::SetToZero, 0, 43, 10.0f},
        {"5 min", MissingOption::SetToZero, 1, 36, 9.5f},  // (9*10 + 5) / 10
        {"5 min", MissingOption::SetToZero, 2, 36, 10.0f},
    };
    for (const Case& c : cases) {
        IntervalData data = aggregateDay(day, interval(c.label), c.missing);
        EXPECT_EQ(data.values[c.index].vol, c.vol) << c.label << " #" << c.index;
        EXPECT_EQ(data.values[c.index].occ, c.occ) << c.label << " #" << c.index;
    }
}

}  // namespace
}  // namespace sorvane
