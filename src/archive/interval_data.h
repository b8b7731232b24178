#pragma once

#include <vector>

#include "archive/detector_day.h"
#include "common/intervals.h"

namespace sorvane {

// How an aggregation treats missing slots: "Set to 0" lets them add nothing; "Set to -1" marks
// an interval -1. The plots and the export share the choice, each with its own rule.
enum class MissingOption { SetToZero, SetToNegative };

// A cleaned day aggregated to one plot interval: record i covers slots i*k .. i*k+k-1 and
// starts startSeconds[i] after midnight.
struct IntervalData {
    std::vector<DetSlot> values;
    std::vector<int> startSeconds;
};

// Sums the volumes other than -1 and averages the occupancies other than -1.0 of each interval
// (occupancy 0 when none is valid). With SetToNegative an interval with fewer valid
// occupancies than slots gets volume -1.
IntervalData aggregateDay(const DetectorDay& imputedDay, const IntervalSpec& interval,
                          MissingOption missing);

}  // namespace sorvane
