#include "plot/detector_view.h"

#include <gtest/gtest.h>

#include "common/error.h"

namespace sorvane {
namespace {

PlotSelection span(int start, int end) {
    PlotSelection selection;
    selection.detectorEntries = 3;
    selection.detectorIndex = 0;
    selection.startIndex = start;
    selection.endIndex = end;
    return selection;
}

TEST(IntervalLine, TimeVolumeAndOccupancy) {
    EXPECT_EQ(intervalLine(0, {12, 3.456f}), "00:00:00: 12,  3.46");
    EXPECT_EQ(intervalLine(29700, {-1, 0.0f}), "08:15:00: -1,  0.0");
    EXPECT_EQ(intervalLine(86370, {0, 100.0f}), "23:59:30: 0,  100.0");
}

TEST(VolumeTotal, SumsPositiveVolumesOfTheSpan) {
    IntervalData data;
    for (int16_t volume : {9, 5, -1, 0, 12, 9})
        data.values.push_back({volume, 0.0f});
    EXPECT_EQ(volumeTotal(data, span(0, 5)), 35);
    for (PlotSelection refused : {span(1, 1), span(-1, 2), span(0, 6)})
        EXPECT_THROW(volumeTotal(data, refused), SorvaneError);

    // A whole day of the largest interval volumes needs more than 16 bits.
    data.values.assign(2880, {4680, 0.0f});
    EXPECT_EQ(volumeTotal(data, span(0, 2879)), 2880 * 4680);
}

}  // namespace
}  // namespace sorvane
