// One date's verdicts and the list of days, from a ledger written directly.
#include "history/day_verdict.h"

#include <gtest/gtest.h>

#include "history/archive_date.h"
#include "history/ledger_days_text.h"
#include "history/ledger_store.h"
#include "letter_days.h"
#include "support/test_support.h"

namespace sorvane::history {
namespace {

using test::dateOf;

// Writes the detectors' days as letters (letter_days.h), one day at a time.
void writeHistories(LedgerStore& ledger, const test::Histories& histories) {
    for (size_t d = 0; d < test::daysOf(histories); ++d) {
        DayRecord day{dateOf(d),   "/data/" + dateOf(d) + ".traffic", 9,
                      "MargTh=10", dateOf(d) + "T02:00:00Z",          {},
                      {}};
        for (const auto& [det, letters] : histories) {
            if (test::letterOn(letters, d) == '.') continue;
            day.rows.push_back(test::verdictOf<DetectorDayRecord>(det, test::letterOn(letters, d)));
        }
        ledger.writeDay(day);
    }
}

TEST(DayVerdict, SinceWhenADetectorsOwnVerdictHolds) {
    test::TempDir dir;
    LedgerStore ledger(dir.file("ledger.sqlite"), LedgerStore::Access::Add);
    writeHistories(ledger, {{1, "GBBBB"},
                            {2, "BBBGB"},
                            {3, "....B"},
                            {4, "BBOXS"},  // outage and excluded days are passed over
                            {5, "BGOXB"},
                            {6, "BBBBO"},  // owed to the outage
                            {7, "BBBBG"}});
    std::optional<DayVerdict> v = readDayVerdict(ledger, dateOf(4));
    ASSERT_TRUE(v);
    std::vector<std::pair<int, std::string>> since;
    for (const DayVerdict::Row& r : v->own)
        since.push_back({r.cell.det, r.since});
    EXPECT_EQ(since, (std::vector<std::pair<int, std::string>>{{1, "2024-03-02"},
                                                               {2, "new today"},
                                                               {3, "new today"},
                                                               {4, "2024-03-01"},
                                                               {5, "new today"}}));
    ASSERT_EQ(v->owed.size(), 1u);
    EXPECT_EQ(v->owed[0].cell.det, 6);
    EXPECT_FALSE(readDayVerdict(ledger, dateOf(5)));

    v->outages = {{1200, 1559, 0.95}};
    EXPECT_EQ(dayVerdictText(*v),
              "Date: 2024-03-05\nArchive: /data/2024-03-05.traffic\n"
              "Tested at: 2024-03-05T02:00:00Z\nDetectors: 9\n"
              "High: 5\nSusp: 1\nMarg: 0\nHlth: 1\nExcluded: 0\n"
              "Feed outages:\n10:00:00-12:59:30 (95.0 %)\n"
              "Owed to feed outages: 1\nOwed to the detectors: 5\n"
              "The detectors' own verdicts:\ndet, class, step, since\n"
              "1, High, missing, 2024-03-02\n2, High, missing, new today\n"
              "3, High, missing, new today\n4, Susp, lock_on, 2024-03-01\n"
              "5, High, missing, new today\n"
              "Verdicts owed to feed outages:\ndet, class, step\n6, High, missing\n");
    std::string csv = dayVerdictCsv(*v);
    EXPECT_EQ(csv.substr(0, csv.find("3,")),
              "det,class,step,attribution,since,status,station,lane,lane_type,corridor\r\n"
              "1,High,missing,detector,2024-03-02,Good,,,,\r\n"
              "2,High,missing,detector,new today,Good,,,,\r\n");
    EXPECT_NE(csv.find("\r\n4,Susp,lock_on,detector,2024-03-01,,,,,\r\n"), std::string::npos);
    EXPECT_EQ(csv.substr(csv.find("6,")), "6,High,missing,feed_outage,,Good,,,,\r\n");
}

TEST(DayVerdict, TheListOfDaysWithWhatDiffersAndWhatIsMissing) {
    test::TempDir dir;
    LedgerStore ledger(dir.file("ledger.sqlite"), LedgerStore::Access::Add);
    writeHistories(ledger, {{1, "GBXGGGGGG"}, {2, "BOGGGGGGG"}});
    ASSERT_TRUE(ledger.removeDays({dateOf(3), dateOf(5), dateOf(6), dateOf(7)}).empty());
    EXPECT_EQ(ledger.removeDays({dateOf(1), dateOf(3)}), std::vector<std::string>{dateOf(3)});
    EXPECT_EQ(ledger.dates({}).size(), 5u);  // 2024-03-02 is still there
    std::vector<LedgerDay> days = ledger.days({});
    days[1].parameters = "MargTh=12";
    EXPECT_EQ(ledgerDaysText(days, ledger.dayTallies({}), {{dateOf(1), 1}}, {}, "MargTh=10"),
              "2024-03-01, 9, 1, 0, 0, 1, 0, 0, 0, 0, 2024-03-01T02:00:00Z, "
              "/data/2024-03-01.traffic\n"
              "2024-03-02, 9, 2, 0, 0, 0, 0, 0, 1, 0, 2024-03-02T02:00:00Z, "
              "/data/2024-03-02.traffic, parameters differ: MargTh=12\n"
              "2024-03-03, 9, 0, 0, 0, 1, 1, 0, 0, 0, 2024-03-03T02:00:00Z, "
              "/data/2024-03-03.traffic\n"
              "2024-03-05, 9, 0, 0, 0, 2, 0, 0, 0, 0, 2024-03-05T02:00:00Z, "
              "/data/2024-03-05.traffic\n"
              "2024-03-09, 9, 0, 0, 0, 2, 0, 0, 0, 0, 2024-03-09T02:00:00Z, "
              "/data/2024-03-09.traffic\n"
              "missing: 2024-03-04 (1 day)\nmissing: 2024-03-06..2024-03-08 (3 days)\n");
}

}  // namespace
}  // namespace sorvane::history
