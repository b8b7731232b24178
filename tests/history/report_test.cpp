#include <gtest/gtest.h>

#include <map>

#include "history/archive_date.h"
#include "history/history_report.h"
#include "history/parameter_sets.h"
#include "history/report_text.h"
#include "letter_days.h"

namespace sorvane::history {
namespace {

using test::dateOf;

// The count ratio of a healthy day's letter, if it has one (0.7 and 1.3: the edges, no drift).
std::optional<double> ratioOf(char letter) {
    static const std::map<char, double> ratios{{'L', 0.6}, {'l', 0.69}, {'k', 0.7}, {'h', 1.3},
                                               {'H', 1.4}, {'g', 1.0},  {'q', 1.0}, {'s', 1.0},
                                               {'W', 1.0}, {'D', 0.6}};
    auto it = ratios.find(letter);
    return it == ratios.end() ? std::nullopt : std::optional<double>(it->second);
}

// s, W (delta -0.2) and D a share day, q a day with a reference share that is no share day.
std::optional<CellShare> shareOf(char letter) {
    if (letter == 's' || letter == 'D') return CellShare{0.1, true};
    if (letter == 'q') return CellShare{0.01, false};
    if (letter == 'W') return CellShare{-0.2, true};
    return std::nullopt;
}

// The report of detectors' days as letters (letter_days.h; here also L l k g h H healthy with a
// count ratio, ratioOf, and s q D W with a lane share check, shareOf), the cells going to the
// builder in date order, as the ledger gives them.
HistoryReport reportOf(const test::Histories& histories, LabelThresholds thresholds = {}) {
    SummaryBuilder builder;
    for (size_t d = 0; d < test::daysOf(histories); ++d) {
        for (const auto& [det, letters] : histories) {
            const char letter = test::letterOn(letters, d);
            if (letter == '.') continue;
            LedgerCell c = test::verdictOf<LedgerCell>(det, letter);
            c.date = dateOf(d);
            builder.add(c, ratioOf(letter), shareOf(letter));
        }
    }
    HistoryReport report;
    builder.finish(thresholds, report);
    return report;
}

std::string repeat(char letter, size_t count) {
    return std::string(count, letter);
}

TEST(HistoryReport, EachLabelAtItsThreshold) {
    struct Case {
        std::string days;
        const char* label;
        int streak, switches, recentSwitches;
        LabelThresholds thresholds = {};
    };
    const Case cases[] = {
        {"BBBBBBB", "chronic", 7, 0, 0},
        {"B", "chronic", 1, 0, 0},
        // 29 bad days of 30 and one marginal day among the last 14: still chronic.
        {repeat('B', 25) + "M" + repeat('B', 4), "chronic", 4, 2, 2},
        {"GGGBBBBBBB", "chronic", 7, 1, 1},         // 7 of 10: 70 %
        {"GGGGBBBBBBBBBB", "chronic", 10, 1, 1},    // 10 of 14
        {"GGGGGBBBBBBBBB", "new", 9, 1, 1},         // 9 of 14: under 70 %
        {"GGGGGGBBBBBBBBBB", "chronic", 10, 1, 1},  // the first two G are no longer recent
        {"BSBOBXBBB", "chronic", 7, 0, 0},          // outage and excluded days do not count
        {"BGBGBBBBBBB", "chronic", 7, 4, 4},        // chronic comes first
        {"BGBG", "flapping", 0, 3, 3},
        {"GBGB", "flapping", 1, 3, 3},  // 2 of 4 bad: not chronic
        {"BGB", "new", 1, 2, 2},
        {"BGBG" + repeat('G', 14), "healthy", 0, 3, 0},  // its flapping is past
        {"BGBGBB", "chronic", 2, 4, 0, {2, 3}},          // the last 2 days only
        {"BGBGGB", "flapping", 1, 4, 2, {4, 2}},
        {"BBG", "recovered", 0, 1, 1},
        {"BM", "recovered", 0, 1, 1},                    // marginal is good
        {"BG" + repeat('G', 12), "recovered", 0, 1, 1},  // its bad day is recent
        {"BG" + repeat('G', 13), "healthy", 0, 1, 0},
        {"GGMG", "healthy", 0, 0, 0},
        {"GOOG", "healthy", 0, 0, 0},
        {"gLLL", "drifting", 0, 0, 0},
        {"HHlG", "drifting", 0, 0, 0},  // the last day with a ratio drifts
        {"LLLg", "healthy", 0, 0, 0},   // the last day with a ratio does not
        {"LkhhL", "healthy", 0, 0, 0},  // 0.7 and 1.3 are no drift
        {"BLLL", "drifting", 0, 1, 1},  // before recovered
        {"LLLB", "new", 1, 1, 1},       // after new
        {"ggggLLL", "drifting", 0, 0, 0, {3, 3}},
        {"LLLL", "healthy", 0, 0, 0, {2, 3}},  // 2 drift days among the recent
        {"ssgs", "lane share", 0, 0, 0},
        {"sssq", "healthy", 0, 0, 0},    // the last day with a reference is no share day
        {"sqs", "healthy", 0, 0, 0},     // 2 share days
        {"DDD", "lane share", 0, 0, 0},  // before drifting
        {"sssB", "new", 1, 1, 1},        // after new
    };
    for (const Case& c : cases) {
        HistoryReport r = reportOf({{7, c.days}}, c.thresholds);
        ASSERT_EQ(r.detectors.size(), 1u) << c.days;
        const DetectorSummary& s = r.detectors[0];
        EXPECT_EQ(detectorLabelName(s.label), c.label) << c.days;
        EXPECT_EQ(s.streak, c.streak) << c.days;
        EXPECT_EQ(s.switches, c.switches) << c.days;
        EXPECT_EQ(s.recentSwitches, c.recentSwitches) << c.days;
    }
}

TEST(HistoryReport, RunsRepairsAndRatiosOverTheWindow) {
    struct Case {
        const char* days;
        int badRuns, repairedRuns;
        std::optional<double> meanRepairDays;
        const char* lastChange;
        int driftDays;
        std::optional<double> lastRatio;
    };
    const Case cases[] = {
        {"BBGBGGBBB", 3, 2, 1.5, "2024-03-07", 0, std::nullopt},
        {"BBBOXB", 1, 0, std::nullopt, "", 0, std::nullopt},
        {"GSMBBBMMG", 2, 2, 2.0, "2024-03-07", 0, std::nullopt},
        {"GLHgkG", 0, 0, std::nullopt, "", 2, 0.7},
        {"gggg", 0, 0, std::nullopt, "", 0, 1.0},
    };
    for (const Case& c : cases) {
        const DetectorSummary s = reportOf({{7, c.days}}).detectors.at(0);
        EXPECT_EQ(s.badRuns, c.badRuns) << c.days;
        EXPECT_EQ(s.repairedRuns, c.repairedRuns) << c.days;
        EXPECT_EQ(s.meanRepairDays, c.meanRepairDays) << c.days;
        EXPECT_EQ(s.lastChange, c.lastChange) << c.days;
        EXPECT_EQ(s.driftDays, c.driftDays) << c.days;
        EXPECT_EQ(s.lastRatio, c.lastRatio) << c.days;
    }
}

TEST(HistoryReport, DetectorsWithoutACountedDayAreLeftOut) {
    HistoryReport r = reportOf({{3, "OOX"}, {4, "XX"}, {5, "..G"}});
    ASSERT_EQ(r.detectors.size(), 1u);
    EXPECT_EQ(r.detectors[0].det, 5);
}

TEST(HistoryReport, RepairListOrder) {
    HistoryReport r = reportOf({{30, "BBBBBBBB"},                  // chronic, streak 8
                                {-2, "GBBBBBBBBB"},                // chronic, streak 9
                                {20, "BBBBBBBB"},                  // chronic, streak 8: before 30
                                {11, "BGBG"},                      // flapping, 3 switches
                                {12, "BGBGBG"},                    // flapping, 5
                                {13, "BGBGBG" + repeat('G', 10)},  // 5, 3 of them recent: after 11
                                {40, "GGGB"},                      // new
                                {5, "GGBB"},                       // new
                                {62, "sss"},                       // lane share, delta 0.1
                                {61, "sss"},                       // lane share, delta 0.1
                                {60, "WWW"},                       // lane share, delta -0.2
                                {50, "LLLl"},                      // drifting, last ratio 0.69
                                {51, "LLLL"},                      // drifting, 0.6
                                {52, "HHHH"},                      // drifting, 1.4
                                {6, "BGGG"},                       // recovered: not on the list
                                {7, "GGGG"}});
    std::vector<int> order;
    for (const DetectorSummary& s : r.repairList)
        order.push_back(s.det);
    EXPECT_EQ(order, (std::vector<int>{-2, 20, 30, 12, 11, 13, 5, 40, 60, 61, 62, 51, 50, 52}));
}

TEST(HistoryReport, PrintedAndCsv) {
    HistoryReport small = reportOf({{12, "BGBGBG"}, {6, "BMGS"}, {9, "LLLL"}});
    small.window = {"2024-03-01", "2024-03-10"};
    small.dates = {"2024-03-01", "2024-03-10"};
    small.outages = {{"2024-03-02", {1200, 1559, 0.95}}};
    small.missingDates = 8;
    EXPECT_EQ(reportText(small),
              "Window: 2024-03-01 to 2024-03-10\nDays: 2\nDetectors: 3\n"
              "chronic: 0\nflapping: 1\nnew: 1\ndrifting: 1\nrecovered: 0\nhealthy: 0\n"
              "Missing dates: 8\n"
              "Repair list:\n"
              "det, label, streak, bad_days/days, recent_switches, last_step, last_ratio\n"
              "12, flapping, 0, 3/6, 5, healthy, \n6, new, 1, 2/4, 2, lock_on, \n"
              "9, drifting, 0, 0/4, 0, healthy, 0.600\n"
              "Feed outages:\n2024-03-02 10:00:00-12:59:30 (95.0 %)\n");
    small.otherParameterDays = 1;
    EXPECT_NE(reportText(small).find(
                  "Missing dates: 8\nDays with other parameters: 1 (history days lists them)\n"
                  "Repair list:\n"),
              std::string::npos);
    EXPECT_EQ(reportCsv(small),
              "det,days,bad_days,productivity,switches,streak,longest_bad_run,first_bad,last_bad,"
              "last_step,label,bad_runs,repaired_runs,mean_repair_days,last_change,"
              "recent_switches,drift_days,last_ratio,station,lane,lane_type,corridor,share_days,"
              "last_share_delta\r\n"
              "6,4,2,0.500,2,1,1,2024-03-01,2024-03-04,lock_on,new,2,1,1.0,2024-03-04,2,0,,,,,,,"
              "\r\n"
              "9,4,0,1.000,0,0,0,,,healthy,drifting,0,0,,,0,4,0.600,,,,,,\r\n"
              "12,6,3,0.500,5,0,1,2024-03-01,2024-03-05,healthy,flapping,3,3,1.0,2024-03-06,5,"
              "0,,,,,,,\r\n");
    HistoryReport thirds = reportOf({{1, "GGB"}, {2, "GGG"}});
    EXPECT_EQ(reportCsv(thirds).substr(reportCsv(thirds).find("\r\n") + 2),
              "1,3,1,0.667,1,1,1,2024-03-03,2024-03-03,missing,new,1,0,,2024-03-03,1,0,,,,,,,\r\n"
              "2,3,0,1.000,0,0,0,,,healthy,healthy,0,0,,,0,0,,,,,,,\r\n");
}

TEST(HistoryReport, ADetectorsDaysWithTheirRatios) {
    std::vector<DetectorDayRecord> records(4);
    for (size_t i = 0; i < records.size(); ++i)
        records[i].date = dateOf(i);
    records[3].listLine = "7, Lock, Susp";
    EXPECT_EQ(
        detectorDaysText(records, {{dateOf(0), 0.6999}, {dateOf(1), 1.0}, {dateOf(2), 1.3001}}),
        "2024-03-01, Hlth, healthy, , , , 0.700, low\n"
        "2024-03-02, Hlth, healthy, , , , 1.000, \n"
        "2024-03-03, Hlth, healthy, , , , 1.300, high\n"
        "2024-03-04, Hlth, healthy, , , 7, Lock, Susp, , \n");
}

TEST(HistoryReport, MostCommonParametersAndWhatDiffers) {
    auto days = [](std::vector<std::string> sets) {
        std::vector<LedgerDay> out;
        for (const std::string& s : sets)
            out.push_back({"", "", 0, s, ""});
        return out;
    };
    EXPECT_EQ(mostCommonParameters(days({})), "");
    EXPECT_EQ(mostCommonParameters(days({"A=1", "A=2", "A=2"})), "A=2");
    EXPECT_EQ(mostCommonParameters(days({"A=1", "A=2", "A=2", "A=1"})), "A=1");  // the earlier
    EXPECT_EQ(differingParameters("A=1;B=2;C=3", "A=1;B=5;C=3"), "B=5");
    EXPECT_EQ(differingParameters("A=1;B=2", "A=0;B=2;D=4"), "A=0;D=4");
    EXPECT_EQ(differingParameters("A=1", "A=1"), "");
    EXPECT_EQ(dateOfDay(dayNumber("2024-02-28") + 2), "2024-03-01");
    EXPECT_EQ(dayNumber("2025-01-01") - dayNumber("2024-01-01"), 366);
}

}  // namespace
}  // namespace sorvane::history
