#include <gtest/gtest.h>

#include "history/history_report.h"
#include "history/report_text.h"

namespace sorvane::history {
namespace {

using modBaddet::DecisionStep;
using modBaddet::HealthClass;

std::string dateOf(size_t day) {
    return "2024-03-" + std::string(day < 9 ? "0" : "") + std::to_string(day + 1);
}

// Each detector's days as letters, one per day from 2024-03-01: B highly suspicious (missing
// data), S suspicious (lock-on), G healthy, M marginal, O a verdict owed to a feed outage, X
// excluded, '.' no record. The cells come in date order, as the ledger gives them.
std::vector<LedgerCell> cellsOf(const std::vector<std::pair<int16_t, std::string>>& histories) {
    std::vector<LedgerCell> cells;
    size_t days = 0;
    for (const auto& h : histories)
        days = std::max(days, h.second.size());
    for (size_t d = 0; d < days; ++d) {
        for (const auto& [det, letters] : histories) {
            if (d >= letters.size() || letters[d] == '.') continue;
            LedgerCell c;
            c.date = dateOf(d);
            c.det = det;
            switch (letters[d]) {
                case 'B':
                case 'O':
                    c.healthClass = HealthClass::High;
                    c.step = DecisionStep::Missing;
                    c.attribution =
                        letters[d] == 'O' ? Attribution::FeedOutage : Attribution::Detector;
                    break;
                case 'S':
                    c.healthClass = HealthClass::Susp;
                    c.step = DecisionStep::LockOn;
                    c.attribution = Attribution::Detector;
                    break;
                case 'M':
                    c.healthClass = HealthClass::Marg;
                    c.step = DecisionStep::MidDevIndex;
                    break;
                case 'X':
                    c.healthClass = HealthClass::Excluded;
                    c.step = DecisionStep::Excluded;
                    break;
                default:
                    break;
            }
            cells.push_back(c);
        }
    }
    return cells;
}

HistoryReport reportOf(const std::vector<std::pair<int16_t, std::string>>& histories,
                       LabelThresholds thresholds = {}) {
    HistoryReport report;
    summarize(cellsOf(histories), thresholds, report);
    return report;
}

TEST(HistoryReport, EachLabelAtItsThreshold) {
    struct Case {
        const char* days;
        const char* label;
        int streak, switches;
    };
    const Case cases[] = {
        {"BBBBBBB", "chronic", 7, 0},
        {"GBBBBBB", "new", 6, 1},
        {"BSBOBXBBB", "chronic", 7, 0},    // outage and excluded days neither break nor count
        {"BGBGBBBBBBB", "chronic", 7, 4},  // chronic comes first
        {"BGBG", "flapping", 0, 3},
        {"GBGB", "flapping", 1, 3},
        {"BGB", "new", 1, 2},
        {"BG", "recovered", 0, 1},
        {"BM", "recovered", 0, 1},  // marginal is good
        {"GGMG", "healthy", 0, 0},
        {"GOOG", "healthy", 0, 0},
    };
    for (const Case& c : cases) {
        HistoryReport r = reportOf({{7, c.days}});
        ASSERT_EQ(r.detectors.size(), 1u) << c.days;
        const DetectorSummary& s = r.detectors[0];
        EXPECT_EQ(detectorLabelName(s.label), c.label) << c.days;
        EXPECT_EQ(s.streak, c.streak) << c.days;
        EXPECT_EQ(s.switches, c.switches) << c.days;
    }
    HistoryReport lower = reportOf({{7, "GBBBBBB"}, {8, "BGB"}}, {6, 2});
    EXPECT_EQ(detectorLabelName(lower.detectors[0].label), "chronic");
    EXPECT_EQ(detectorLabelName(lower.detectors[1].label), "flapping");
}

TEST(HistoryReport, DetectorsWithoutACountedDayAreLeftOut) {
    HistoryReport r = reportOf({{3, "OOX"}, {4, "XX"}, {5, "..G"}});
    ASSERT_EQ(r.detectors.size(), 1u);
    EXPECT_EQ(r.detectors[0].det, 5);
}

TEST(HistoryReport, RepairListOrder) {
    HistoryReport r = reportOf({{30, "BBBBBBBB"},    // chronic, streak 8
                                {-2, "GBBBBBBBBB"},  // chronic, streak 9
                                {20, "BBBBBBBB"},    // chronic, streak 8: before 30
                                {11, "BGBG"},        // flapping, 3 switches
                                {12, "BGBGBG"},      // flapping, 5
                                {40, "GGGB"},        // new
                                {5, "GGBB"},         // new
                                {6, "BGGG"},         // recovered: not on the list
                                {7, "GGGG"}});
    std::vector<int> order;
    for (const DetectorSummary& s : r.repairList)
        order.push_back(s.det);
    EXPECT_EQ(order, (std::vector<int>{-2, 20, 30, 12, 11, 5, 40}));
}

TEST(HistoryReport, PrintedAndCsv) {
    HistoryReport small = reportOf({{12, "BGBGBG"}, {6, "BMGS"}});
    small.window = {"2024-03-01", "2024-03-10"};
    small.dates = {"2024-03-01", "2024-03-10"};
    small.outages = {{"2024-03-02", {1200, 1559, 0.95}}};
    EXPECT_EQ(reportText(small),
              "Window: 2024-03-01 to 2024-03-10\nDays: 2\nDetectors: 2\n"
              "chronic: 0\nflapping: 1\nnew: 1\nrecovered: 0\nhealthy: 0\n"
              "Repair list:\n12, flapping, 0, 3/6, healthy\n6, new, 1, 2/4, lock_on\n"
              "Feed outages:\n2024-03-02 10:00:00-12:59:30 (95.0 %)\n");
    EXPECT_EQ(reportCsv(small),
              "det,days,bad_days,productivity,switches,streak,longest_bad_run,first_bad,last_bad,"
              "last_step,label\r\n"
              "6,4,2,0.500,2,1,1,2024-03-01,2024-03-04,lock_on,new\r\n"
              "12,6,3,0.500,5,0,1,2024-03-01,2024-03-05,healthy,flapping\r\n");
    HistoryReport thirds = reportOf({{1, "GGB"}, {2, "GGG"}});
    EXPECT_EQ(reportCsv(thirds).substr(reportCsv(thirds).find("\r\n") + 2),
              "1,3,1,0.667,1,1,1,2024-03-03,2024-03-03,missing,new\r\n"
              "2,3,0,1.000,0,0,0,,,healthy,healthy\r\n");
}

}  // namespace
}  // namespace sorvane::history
