#include "export/detector_view.h"

#include <gtest/gtest.h>

#include "common/error.h"

namespace sorvane {
namespace {

IntervalData intervalsWithVolumes(const std::vector<int16_t>& volumes) {
    IntervalData data;
    for (size_t i = 0; i < volumes.size(); ++i) {
        data.values.push_back({volumes[i], 0.0f});
        data.startSeconds.push_back(static_cast<int>(i) * 30);
    }
    return data;
}

PlotSelection span(int start, int end) {
    PlotSelection selection;
    selection.detectorEntries = 3;
    selection.detectorIndex = 0;
    selection.startIndex = start;
    selection.endIndex = end;
    return selection;
}

TEST(VolumeTotal, SumsPositiveVolumesOfTheSpan) {
    IntervalData data = intervalsWithVolumes({9, 5, -1, 0, 12, 9});
    EXPECT_EQ(volumeTotal(data, span(1, 4)), 17);
    EXPECT_EQ(volumeTotal(data, span(0, 5)), 35);

    // A full day of the largest interval volumes stays within 32 bits.
    IntervalData full = intervalsWithVolumes(std::vector<int16_t>(2880, 4680));
    EXPECT_EQ(volumeTotal(full, span(0, 2879)), 2880 * 4680);
}

TEST(VolumeTotal, RefusesWhatThePlotCheckRefuses) {
    IntervalData data = intervalsWithVolumes({5, 7, 9});
    for (PlotSelection bad : {span(1, 1), span(2, 1), span(-1, 2), span(0, 3)}) {
        try {
            volumeTotal(data, bad);
            ADD_FAILURE() << bad.startIndex << ".." << bad.endIndex;
        } catch (const SorvaneError& e) {
            EXPECT_EQ(e.description(), kMsgSelectSpan);
        }
    }
}

}  // namespace
}  // namespace sorvane
