#include "history/count_drift.h"

#include <gtest/gtest.h>

#include <cmath>

#include "history/archive_date.h"

namespace sorvane::history {
namespace {

using modBaddet::HealthClass;

struct Past {
    int daysBefore;
    double volume;
};

// The ratio of one detector of `volume` on a date, after its volumes on the dates before;
// alone on the network, so that the network factor is 1.
std::optional<double> ratioAfter(const std::vector<Past>& past, double volume) {
    CountDrift drift;
    const int day = 20000;
    std::vector<Past> oldestFirst = past;
    std::sort(oldestFirst.begin(), oldestFirst.end(),
              [](const Past& a, const Past& b) { return a.daysBefore > b.daysBefore; });
    for (const Past& p : oldestFirst)
        drift.addDay(day - p.daysBefore, {{5, p.volume}});
    std::vector<DetectorRatio> ratios = drift.addDay(day, {{5, volume}});
    if (ratios.empty()) return std::nullopt;
    return ratios[0].ratio;
}

TEST(CountDrift, ADetectorAgainstItsOwnWeekdays) {
    struct Case {
        const char* what;
        std::vector<Past> past;
        double volume;
        std::optional<double> ratio;
    };
    const Case cases[] = {
        {"three weeks", {{7, 100}, {14, 200}, {21, 300}}, 100, 0.5},
        {"two are too few", {{7, 100}, {14, 200}}, 100, std::nullopt},
        {"even count: the mean of the middle two",
         {{7, 100}, {14, 200}, {21, 300}, {28, 400}},
         500,
         2.0},
        {"other weekdays do not count",
         {{1, 9}, {6, 9}, {7, 100}, {13, 9}, {14, 100}},
         50,
         std::nullopt},
        {"56 days back is in", {{42, 100}, {49, 100}, {56, 100}}, 80, 0.8},
        {"63 days back is out", {{49, 100}, {56, 100}, {63, 100}}, 80, std::nullopt},
        {"a baseline of 0 gives none", {{7, 0}, {14, 0}, {21, 5}}, 5, std::nullopt},
        {"a volume of 0 has a ratio", {{7, 10}, {14, 10}, {21, 10}}, 0, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ratioAfter(c.past, c.volume), c.ratio) << c.what;
}

TEST(CountDrift, TheNetworkFactorTakesOutADayThatMovesEveryDetector) {
    struct Case {
        const char* what;
        int detectors;
        double todayShare;  // of every detector's usual volume; detector 1 at half of that
        double ratioOfOthers, ratioOfFirst;
        bool hasRatios = true;
    };
    const Case cases[] = {
        {"ten detectors: a holiday is no drift", 10, 0.55, 1.0, 0.5},
        {"nine: too few for a network factor", 9, 0.55, 0.55, 0.275},
        {"a network that counted nothing judges nobody", 12, 0.0, 0.0, 0.0, false},
    };
    for (const Case& c : cases) {
        CountDrift drift;
        for (int week = 3; week >= 1; --week) {
            std::vector<DetectorVolume> usual;
            for (int det = 1; det <= c.detectors; ++det)
                usual.push_back({static_cast<int16_t>(det), 100.0 * det});
            drift.addDay(1000 - 7 * week, usual);
        }
        std::vector<DetectorVolume> today;
        for (int det = 1; det <= c.detectors; ++det)
            today.push_back(
                {static_cast<int16_t>(det), 100.0 * det * c.todayShare * (det == 1 ? 0.5 : 1.0)});
        std::vector<DetectorRatio> ratios = drift.addDay(1000, today);
        if (!c.hasRatios) {
            EXPECT_TRUE(ratios.empty()) << c.what;
            continue;
        }
        ASSERT_EQ(ratios.size(), static_cast<size_t>(c.detectors)) << c.what;
        EXPECT_DOUBLE_EQ(ratios[0].ratio, c.ratioOfFirst) << c.what;
        EXPECT_DOUBLE_EQ(ratios.back().ratio, c.ratioOfOthers) << c.what;
    }
}

TEST(CountDrift, WhichDaysServeAsABaseline) {
    struct Case {
        HealthClass healthClass;
        Attribution attribution;
        std::optional<int32_t> volume, valid;
        std::optional<double> baseline;
    };
    const Case cases[] = {
        {HealthClass::Hlth, Attribution::None, 1020, 2040, 1020.0},
        {HealthClass::Marg, Attribution::None, 612, 1224, 1020.0},
        {HealthClass::Hlth, Attribution::None, 612, 1223, std::nullopt},
        {HealthClass::Susp, Attribution::Detector, 1020, 2040, std::nullopt},
        {HealthClass::High, Attribution::FeedOutage, 1020, 2040, std::nullopt},
        {HealthClass::Excluded, Attribution::None, std::nullopt, std::nullopt, std::nullopt},
        {HealthClass::Hlth, Attribution::None, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        LedgerCell cell;
        cell.healthClass = c.healthClass;
        cell.attribution = c.attribution;
        cell.daytimeVolume = c.volume;
        cell.daytimeValid = c.valid;
        EXPECT_EQ(baselineVolume(cell), c.baseline) << modBaddet::healthClassLabel(c.healthClass);
    }
}

TEST(CountDrift, CellsGetTheRatiosOfTheirDates) {
    // Detector 3 counts 60 % from the fourth week on; detector 4 is suspicious that day.
    std::vector<std::pair<std::string, std::optional<double>>> seen;
    CellRatios ratios(
        [&](const LedgerCell& cell, std::optional<double> ratio, std::optional<CellShare>) {
            if (cell.det == 3 || cell.det == 4) seen.push_back({cell.date, ratio});
        });
    for (int week = 0; week < 4; ++week) {
        for (int det = 3; det <= 4; ++det) {
            LedgerCell cell;
            cell.date = dateOfDay(dayNumber("2024-03-01") + 7 * week);
            cell.det = static_cast<int16_t>(det);
            if (det == 4 && week == 3) cell.healthClass = HealthClass::Susp;
            cell.daytimeValid = 2040;
            cell.daytimeVolume = det == 3 && week == 3 ? 600 : 1000;
            ratios.add(cell);
        }
    }
    ratios.finish();
    ASSERT_EQ(seen.size(), 8u);
    EXPECT_EQ(seen[5], std::pair(std::string("2024-03-15"), std::optional<double>()));
    EXPECT_EQ(seen[6].first, "2024-03-22");
    EXPECT_DOUBLE_EQ(seen[6].second.value_or(0), 0.6);
    EXPECT_EQ(seen[7].second, std::nullopt);
}

}  // namespace
}  // namespace sorvane::history
