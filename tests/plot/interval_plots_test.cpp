#include "plot/interval_plots.h"

#include <gtest/gtest.h>

#include "common/error.h"

namespace sorvane {
namespace {

PlotSelection selectionOf(int entries, int detector, int start, int end) {
    PlotSelection selection;
    selection.detectorEntries = entries;
    selection.detectorIndex = detector;
    selection.detectorText = "4711";
    selection.startIndex = start;
    selection.endIndex = end;
    selection.intervalText = "5 min";
    return selection;
}

struct CheckCase {
    int entries, detector, start, end;
    std::optional<std::string_view> message;
};

TEST(CheckPlotInput, ChecksInOrder) {
    const CheckCase cases[] = {
        {0, -1, -1, -1, kMsgLoadDetectorsFirst},
        {0, 0, 0, 5, kMsgLoadDetectorsFirst},
        {3, -1, 0, 5, kMsgSelectDetector},
        {3, 1, 5, 5, kMsgSelectSpan},
        {3, 1, 6, 5, kMsgSelectSpan},
        {3, 1, -1, 5, kMsgSelectSpan},
        {3, 1, 2, -1, kMsgSelectSpan},
        {3, 1, 0, 1, std::nullopt},
    };
    for (const CheckCase& c : cases) {
        EXPECT_EQ(CheckPlotInput(selectionOf(c.entries, c.detector, c.start, c.end)), c.message)
            << c.entries << ' ' << c.detector << ' ' << c.start << ' ' << c.end;
    }
}

// Intervals of five minutes with these volumes and occupancies.
IntervalData fiveMinuteData(const std::vector<int16_t>& volumes, std::vector<float> occ = {}) {
    occ.resize(volumes.size(), 0.0f);
    IntervalData data;
    for (size_t i = 0; i < volumes.size(); ++i) {
        data.values.push_back({volumes[i], occ[i]});
        data.startSeconds.push_back(static_cast<int>(i) * 300);
    }
    return data;
}

PlotSelection wholeSpan(const IntervalData& data, bool volumeHistogram = true) {
    PlotSelection selection = selectionOf(3, 1, 0, static_cast<int>(data.values.size()) - 1);
    selection.volumeHistogram = volumeHistogram;
    return selection;
}

std::vector<double> xs(const std::vector<PlotPoint>& points) {
    std::vector<double> result;
    for (const PlotPoint& p : points)
        result.push_back(p.x);
    return result;
}

TEST(IntervalPlots, ScatterAndLineCoverTheSpanMinusOnesIncluded) {
    IntervalData data = fiveMinuteData({9, 4, -1, 6}, {1.5f, 2.0f, 3.25f, 4.0f});
    PlotSelection selection = wholeSpan(data);
    selection.startIndex = 1;
    selection.intervalText = "typed";

    PlotRequest scatter = PlotScatter(data, selection);
    EXPECT_EQ(scatter.kind, PlotKind::Scatter);
    EXPECT_EQ(scatter.header, "Detector: 4711");
    EXPECT_EQ(scatter.caption, "Vol/Occ Scatter Graph: typed Data");
    ASSERT_EQ(scatter.series0.size(), 3u);
    EXPECT_EQ(scatter.series0[1].x, 3.25);
    EXPECT_EQ(scatter.series0[1].y, -1.0);

    PlotRequest line = PlotLine(data, selection);
    EXPECT_EQ(line.kind, PlotKind::Line);
    EXPECT_EQ(line.caption, "Vol/Occ Line Graph: typed Data");
    EXPECT_EQ(xs(line.series0), (std::vector<double>{300, 600, 900}));
    EXPECT_EQ(xs(line.series1), xs(line.series0));
    EXPECT_EQ(line.series0[1].y, -1.0);
    EXPECT_EQ(line.series1[1].y, 3.25);

    selection.endIndex = 4;  // beyond the computed intervals
    EXPECT_THROW(PlotLine(data, selection), SorvaneError);
    selection.endIndex = 1;
    EXPECT_THROW(PlotScatter(data, selection), SorvaneError);
}

struct VolumeHistogramCase {
    const char* name;
    std::vector<int16_t> volumes;
    double firstX, step;
};

TEST(IntervalPlots, VolumeHistogramWidths) {
    std::vector<int16_t> zeroTo90;
    for (int16_t v = 0; v <= 90; ++v)
        zeroTo90.push_back(v);
    const VolumeHistogramCase cases[] = {
        {"0..90 gives width 3", zeroTo90, 0, 3},
        {"45 gives 2 (1.5 rounds to 2)", {0, 45}, 0, 2},
        {"75 gives 2 (2.5 rounds to 2)", {0, 75}, 0, 2},
        {"30 gives 1 from the smallest", {12, 30}, 12, 1},
        {"a range that rounds to width 0 gives 1", {31, 40}, 31, 1},
        {"-1 is the smallest", {-1, 20}, -1, 1},
    };
    for (const VolumeHistogramCase& c : cases) {
        IntervalData data = fiveMinuteData(c.volumes);
        PlotRequest histogram = PlotHistogram(data, wholeSpan(data));
        EXPECT_EQ(histogram.bottomAxisTitle, "Volume") << c.name;
        ASSERT_EQ(histogram.series0.size(), 31u) << c.name;
        for (size_t b = 0; b < 31; ++b)
            EXPECT_EQ(histogram.series0[b].x, c.firstX + c.step * static_cast<double>(b)) << c.name;
    }

    IntervalData data = fiveMinuteData(zeroTo90);
    PlotRequest histogram = PlotHistogram(data, wholeSpan(data));
    EXPECT_EQ(histogram.caption, "Histogram: 5 min Data");
    EXPECT_EQ(histogram.series0[0].y, 3.0);   // 0, 1, 2
    EXPECT_EQ(histogram.series0[30].y, 1.0);  // 90
}

TEST(IntervalPlots, OccupancyHistogramRoundsHalvesToEven) {
    IntervalData data = fiveMinuteData({1, 1, 1, 1, 1}, {2.5f, 3.5f, 0.4f, -1.0f, 3.6f});
    PlotRequest histogram = PlotHistogram(data, wholeSpan(data, false));
    EXPECT_EQ(histogram.bottomAxisTitle, "Occupancy");
    ASSERT_EQ(xs(histogram.series0), (std::vector<double>{0, 1, 2, 3, 4}));
    std::vector<double> counts;
    for (const PlotPoint& p : histogram.series0)
        counts.push_back(p.y);
    EXPECT_EQ(counts, (std::vector<double>{2, 0, 1, 0, 2}));
}

}  // namespace
}  // namespace sorvane
