#include "plot/detector_plots.h"

#include <gtest/gtest.h>

#include "archive/unzip.h"
#include "common/log.h"
#include "support/member_builders.h"

namespace sorvane {
namespace {

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
