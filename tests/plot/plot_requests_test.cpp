// The plot requests, of a selection of intervals and of a detector's whole day, and the view's
// lines and volume total.
#include <gtest/gtest.h>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "plot/detector_plots.h"
#include "plot/detector_view.h"
#include "plot/interval_plots.h"
#include "support/member_builders.h"

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

TEST(CheckPlotInput, ChecksInOrder) {
    struct {
        int entries, detector, start, end;
        std::optional<std::string_view> message;
    } const cases[] = {
        {0, 0, 0, 5, kMsgLoadDetectorsFirst}, {3, -1, 0, 5, kMsgSelectDetector},
        {3, 1, 5, 5, kMsgSelectSpan},         {3, 1, -1, 5, kMsgSelectSpan},
        {3, 1, 2, -1, kMsgSelectSpan},        {3, 1, 0, 1, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckPlotInput(selectionOf(c.entries, c.detector, c.start, c.end)), c.message);
}

TEST(DetectorView, IntervalLinesAndVolumeTotal) {
    EXPECT_EQ(intervalLine(0, {12, 3.456f}), "00:00:00: 12,  3.46");
    EXPECT_EQ(intervalLine(29700, {-1, 0.0f}), "08:15:00: -1,  0.0");
    EXPECT_EQ(intervalLine(86370, {0, 100.0f}), "23:59:30: 0,  100.0");

    IntervalData data;
    for (int16_t volume : {9, 5, -1, 0, 12, 9})
        data.values.push_back({volume, 0.0f});
    EXPECT_EQ(volumeTotal(data, selectionOf(3, 0, 0, 5)), 35);
    for (PlotSelection refused :
         {selectionOf(3, 0, 1, 1), selectionOf(3, 0, -1, 2), selectionOf(3, 0, 0, 6)})
        EXPECT_THROW(volumeTotal(data, refused), SorvaneError);
    // A whole day of the largest interval volumes needs more than 16 bits.
    data.values.assign(2880, {4680, 0.0f});
    EXPECT_EQ(volumeTotal(data, selectionOf(3, 0, 0, 2879)), 2880 * 4680);
}

// Five-minute intervals with these volumes and occupancies, and a selection of all of them.
IntervalData fiveMinuteData(const std::vector<int16_t>& volumes, std::vector<float> occ = {}) {
    occ.resize(volumes.size(), 0.0f);
    IntervalData data;
    for (size_t i = 0; i < volumes.size(); ++i) {
        data.values.push_back({volumes[i], occ[i]});
        data.startSeconds.push_back(static_cast<int>(i) * 300);
    }
    return data;
}
PlotSelection wholeSpan(const IntervalData& data) {
    return selectionOf(3, 1, 0, static_cast<int>(data.values.size()) - 1);
}

std::vector<double> xs(const std::vector<PlotPoint>& points, bool y = false) {
    std::vector<double> result;
    for (const PlotPoint& p : points)
        result.push_back(y ? p.y : p.x);
    return result;
}

TEST(IntervalPlots, ScatterAndLineCoverTheSpanMinusOnesIncluded) {
    IntervalData data = fiveMinuteData({9, 4, -1, 6}, {1.5f, 2.0f, 3.25f, 4.0f});
    PlotSelection selection = selectionOf(3, 1, 1, 3);
    selection.intervalText = "typed";
    PlotRequest scatter = PlotScatter(data, selection);
    EXPECT_EQ(scatter.header, "Detector: 4711");
    EXPECT_EQ(scatter.caption, "Vol/Occ Scatter Graph: typed Data");
    EXPECT_EQ(xs(scatter.series0), (std::vector<double>{2.0, 3.25, 4.0}));
    EXPECT_EQ(xs(scatter.series0, true), (std::vector<double>{4, -1, 6}));

    PlotRequest line = PlotLine(data, selection);
    EXPECT_EQ(line.caption, "Vol/Occ Line Graph: typed Data");
    EXPECT_EQ(xs(line.series0), (std::vector<double>{300, 600, 900}));
    EXPECT_EQ(xs(line.series1), xs(line.series0));
    EXPECT_EQ(xs(line.series0, true), (std::vector<double>{4, -1, 6}));
    EXPECT_EQ(xs(line.series1, true), (std::vector<double>{2.0, 3.25, 4.0}));

    selection.endIndex = 4;  // beyond the computed intervals
    EXPECT_THROW(PlotLine(data, selection), SorvaneError);
    selection.endIndex = 1;
    EXPECT_THROW(PlotHistogram(data, selection), SorvaneError);
}

TEST(IntervalPlots, VolumeHistogramWidths) {
    std::vector<int16_t> zeroTo90;
    for (int16_t v = 0; v <= 90; ++v)
        zeroTo90.push_back(v);
    struct {
        std::vector<int16_t> volumes;
        double firstX, width;
    } const cases[] = {
        {zeroTo90, 0, 3},  {{0, 45}, 0, 2}, {{0, 75}, 0, 2},  // 1.5 and 2.5 round to 2
        {{31, 40}, 31, 1},                                    // 9 / 30 rounds to 0: width 1
        {{-1, 20}, -1, 1},
    };
    for (const auto& c : cases) {
        IntervalData data = fiveMinuteData(c.volumes);
        PlotRequest histogram = PlotHistogram(data, wholeSpan(data));
        EXPECT_EQ(histogram.bottomAxisTitle, "Volume");
        ASSERT_EQ(histogram.series0.size(), 31u);
        EXPECT_EQ(histogram.series0[0].x, c.firstX);
        EXPECT_EQ(histogram.series0[30].x - histogram.series0[29].x, c.width) << c.firstX;
    }
    IntervalData data = fiveMinuteData(zeroTo90);
    PlotRequest histogram = PlotHistogram(data, wholeSpan(data));
    EXPECT_EQ(histogram.caption, "Histogram: 5 min Data");
    EXPECT_EQ(histogram.series0[0].y, 3.0);   // 0, 1, 2
    EXPECT_EQ(histogram.series0[30].y, 1.0);  // 90
}

TEST(IntervalPlots, OccupancyHistogramRoundsHalvesToEven) {
    IntervalData data = fiveMinuteData({1, 1, 1, 1, 1}, {2.5f, 3.5f, 0.4f, -1.0f, 3.6f});
    PlotSelection selection = wholeSpan(data);
    selection.volumeHistogram = false;
    PlotRequest histogram = PlotHistogram(data, selection);
    EXPECT_EQ(histogram.bottomAxisTitle, "Occupancy");
    EXPECT_EQ(xs(histogram.series0), (std::vector<double>{0, 1, 2, 3, 4}));
    EXPECT_EQ(xs(histogram.series0, true), (std::vector<double>{2, 0, 1, 0, 2}));
}

TEST(DetectorPlots, WholeDayOfTheGivenDetector) {
    test::TempDir dir;
    Log log;
    Unzip reader(log);
    // Slot 0 holds 255 vehicles, which the cleaning marks missing.
    reader.ZipFileName(
        test::makeArchive(dir, "day.traffic",
                          {test::volumeMember("100", 2, {255}), test::occupancyMember("100", 75)}));
    reader.zipList();

    PlotRequest scatter = PlotDetectorScatter5Min(reader, 100);
    EXPECT_EQ(scatter.header, "Detector: 100");
    EXPECT_EQ(scatter.caption, "Vol/Occ Scatter Graph: 5 min Data");
    ASSERT_EQ(scatter.series0.size(), 288u);
    EXPECT_EQ(scatter.series0[0].y, 18.0);  // the missing slot adds nothing: no -1 rule
    EXPECT_FLOAT_EQ(static_cast<float>(scatter.series0[0].x), 7.5f);

    PlotRequest line = PlotDetectorLine30Sec(reader, 100);
    EXPECT_EQ(line.caption, "Vol/Occ Line Graph: 30 Sec Data");
    ASSERT_EQ(line.series1.size(), 2880u);
    EXPECT_EQ(line.series0[0].y, -1.0);
    EXPECT_EQ(line.series1[0].y, -1.0);
    EXPECT_EQ(line.series1[2879].x, 2879.0 * 30);
    EXPECT_EQ(line.series0[2879].y, 2.0);

    // A detector the archive lacks plots as a day of zeros.
    PlotRequest absent = PlotDetectorScatter5Min(reader, 555);
    EXPECT_EQ(absent.header, "Detector: 555");
    ASSERT_EQ(absent.series0.size(), 288u);
    for (const PlotPoint& p : PlotDetectorLine30Sec(reader, 555).series1)
        EXPECT_TRUE(p.y == 0.0);
}

}  // namespace
}  // namespace sorvane
