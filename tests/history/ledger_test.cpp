// The ledger engine: days tested and recorded, replaced whole, refused. (Files that hold no
// ledger are refused at the command line: cli_history_test.)
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_fingerprint.h"
#include "health/health_days.h"
#include "health/health_outcome_text.h"
#include "history/add_days.h"
#include "history/ledger_grid.h"
#include "history/ledger_location.h"
#include "history/ledger_store.h"
#include "history/report_text.h"
#include "history/sqlite_db.h"

namespace sorvane::history {
namespace {

using modBaddet::DetectorOutcome;
using test::kHealthyDay;
using test::RawDay;

// A day's rows of the ledger's three tables as text, tested_at and the archive left out.
std::string dump(const std::string& path, const std::string& date) {
    sql::Database db(path, sql::Database::Mode::ReadOnly);
    std::string out;
    for (const char* query : {"SELECT date, detectors, parameters FROM days WHERE date = ?1",
                              "SELECT * FROM detector_days WHERE date = ?1 ORDER BY det",
                              "SELECT * FROM feed_outages WHERE date = ?1 ORDER BY first_slot"}) {
        sql::Statement s(db, query);
        s.bind(1, std::string_view(date));
        while (s.step()) {
            for (int c = 0; c < s.columns(); ++c)
                out += (s.isNull(c) ? "NULL" : s.text(c)) + "|";
            out += "\n";
        }
    }
    return out;
}

// Eleven tested detectors; all but 111 lose slots 100 to 109 (10 of 11: a feed outage at the
// default share). 101 misses 566 slots of its own as well: 576 in all, 20 %.
std::vector<synth::ArchiveMember> outageDay() {
    std::vector<std::pair<int, RawDay>> days;
    for (int det = 101; det <= 111; ++det) {
        RawDay day = kHealthyDay;
        if (det != 111) day.volumes(100, 109, 255);
        if (det == 101) day.volumes(1000, 1565, 255);
        days.emplace_back(det, day);
    }
    return test::membersOf(days);
}

class Ledger : public ::testing::Test {
  protected:
    std::vector<DayAddResult> add(const std::vector<DayToAdd>& days, AddOptions options = {}) {
        LedgerStore ledger(db, LedgerStore::Access::Add);
        return addDays(ledger, days, options);
    }

    test::TempDir dir;
    std::string db = dir.file("ledger.sqlite");
};

TEST_F(Ledger, ARowIsWhatTheHealthTestReportsThatDay) {
    // 101 is listed twice (its members apart, the second pair named 0101); 107 lacks its
    // occupancy member.
    std::vector<synth::ArchiveMember> members = test::membersOf({{101, kHealthyDay},
                                                                 {102, RawDay(255, 0)},
                                                                 {103, RawDay(0, 0)},
                                                                 {105, test::marginalDay()},
                                                                 {4500, kHealthyDay},
                                                                 {101, RawDay(0, 0)},
                                                                 {107, kHealthyDay}},
                                                                true);
    members[10].name = "0" + members[10].name;
    members[11].name = "0" + members[11].name;
    test::HealthArchive day(members);
    std::vector<DayAddResult> results = add({{day.path, "2024-03-15"}});
    ASSERT_EQ(results[0].outcome, AddOutcome::Added) << results[0].message;
    EXPECT_EQ(results[0].counts.detectors, 7);
    EXPECT_EQ(results[0].logText, "Det 107 does not exist\r\n");

    modBaddet::HealthRunResult health = day.run(modBaddet::kAllDetectors);
    LedgerStore ledger(db, LedgerStore::Access::Read);
    EXPECT_EQ(ledger.cells({}).size(), 6u);  // 101 once
    for (const DetectorOutcome& o : health.outcomes) {
        std::vector<DetectorDayRecord> rows = ledger.detectorDays(o.det);
        ASSERT_EQ(rows.size(), 1u) << o.det;
        const DetectorDayRecord& r = rows[0];
        EXPECT_EQ(r.date, "2024-03-15");
        EXPECT_EQ(r.healthClass, o.healthClass()) << o.det;
        EXPECT_EQ(r.step, o.step) << o.det;
        EXPECT_EQ(r.reason, modBaddet::reasonText(o.step)) << o.det;
        EXPECT_EQ(r.listLine, modBaddet::ListLine(o)) << o.det;
        EXPECT_EQ(r.measures, o.measures) << o.det;
        EXPECT_EQ(r.status.has_value(), o.measures.has_value()) << o.det;
        EXPECT_EQ(r.outageMissing.has_value(), o.measures.has_value()) << o.det;
    }
    EXPECT_EQ(attributionName(ledger.detectorDays(107)[0].attribution), "detector");
    EXPECT_EQ(attributionName(ledger.detectorDays(4500)[0].attribution), "");
    EXPECT_EQ(dailyStatusName(*ledger.detectorDays(103)[0].status), "Card Off");
    // The daytime counts: none for the unreadable and the excluded.
    using Daytime = std::pair<std::optional<int32_t>, std::optional<int32_t>>;
    for (auto [det, daytime] : {std::pair<int16_t, Daytime>{102, {0, 0}},
                                {103, {0, 2040}},
                                {107, {std::nullopt, std::nullopt}},
                                {4500, {std::nullopt, std::nullopt}}}) {
        DetectorDayRecord r = ledger.detectorDays(det)[0];
        EXPECT_EQ(Daytime(r.daytimeVolume, r.daytimeValid), daytime) << det;
    }
    ArchiveFingerprint fingerprint = archiveFingerprint(day.path);
    LedgerDay recorded = ledger.days({}).front();
    EXPECT_EQ(recorded.archiveSize, static_cast<int64_t>(fingerprint.size));
    EXPECT_EQ(recorded.archiveFingerprint, fingerprint.sha256);
}

TEST_F(Ledger, ReaddingADayReplacesItWhole) {
    std::string first = test::makeArchive(dir, "first.traffic", outageDay());
    std::string second =
        test::makeArchive(dir, "second.traffic", test::membersOf({{101, test::marginalDay()}}));
    add({{first, "2024-03-15"}, {first, "2024-03-16"}});
    std::string before = dump(db, "2024-03-15");
    EXPECT_NE(before.find("2024-03-15|100|109|0.909"), std::string::npos) << before;
    EXPECT_NE(before.find("2024-03-15|101|High|missing|"), std::string::npos);
    EXPECT_NE(before.find("|576|"), std::string::npos);
    EXPECT_NE(before.find("|10|feed_outage|Constant|"), std::string::npos) << before;
    std::string otherDay = dump(db, "2024-03-16");

    // Where held days may not be replaced, a day that another run added meanwhile is refused.
    {
        LedgerStore ledger(db, LedgerStore::Access::Add);
        ledger.setReplaceHeldDays(false);
        DayRecord again;
        again.date = "2024-03-15";
        EXPECT_THROW(ledger.writeDay(again), SorvaneError);
    }
    EXPECT_EQ(dump(db, "2024-03-15"), before);

    AddOptions options;
    options.parameters[kMargTh] = "13";
    add({{second, "2024-03-15"}}, options);
    EXPECT_EQ(dump(db, "2024-03-16"), otherDay);
    std::string after = dump(db, "2024-03-15");
    LedgerStore ledger(db, LedgerStore::Access::Read);
    EXPECT_EQ(ledger.outages({"2024-03-15", "2024-03-15"}).size(), 0u);
    std::vector<LedgerCell> cells = ledger.cells({"2024-03-15", "2024-03-15"});
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].healthClass, modBaddet::HealthClass::Hlth);  // MargTh 13
    EXPECT_NE(after.find("2024-03-15|1|OccSpikeTh=40;OccSpikeCountTh=30;VolSpikeTh=15;"
                         "VolSpikeCountTh=25;SuspTh=15;MargTh=13;MissingPercent=20;"
                         "ConsecZeroVolMin=4;LockOnMin=7;CorCoeffTh=0.9985;DetNoFrom=4500;"
                         "DetNoTo=4940|"),
              std::string::npos)
        << after;
}

TEST_F(Ledger, SameContentForAnyNumberOfJobsAndRefusedDaysApart) {
    std::string good = test::makeArchive(dir, "good.traffic", outageDay());
    std::string broken = dir.file("broken.traffic");
    test::writeFile(broken, "not a zip");
    std::vector<DayToAdd> days{
        {good, "2024-03-01"}, {broken, "2024-03-02"}, {good, "2024-03-03"}, {good, "2024-03-04"}};
    AddOptions one;
    one.jobs = 1;
    std::vector<DayAddResult> results = add(days, one);
    std::string serial = dump(db, "2024-03-01") + dump(db, "2024-03-03");
    std::filesystem::remove(db);
    AddOptions three;
    three.jobs = 3;
    results = add(days, three);
    EXPECT_EQ(dump(db, "2024-03-01") + dump(db, "2024-03-03"), serial);
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[1].outcome, AddOutcome::Refused);
    EXPECT_EQ(results[1].day.date, "2024-03-02");
    EXPECT_EQ(results[1].message.rfind("Error No: 19, ", 0), 0u) << results[1].message;
    for (size_t i : {0, 2, 3})
        EXPECT_EQ(results[i].outcome, AddOutcome::Added);

    std::atomic<bool> cancel{true};
    LedgerStore ledger(db, LedgerStore::Access::Add);
    EXPECT_EQ(addDays(ledger, {{good, "2024-04-01"}}, one, {}, &cancel)[0].outcome,
              AddOutcome::Cancelled);
}

TEST_F(Ledger, AWindowsGridAndADetectorsDay) {
    std::string first = test::makeArchive(dir, "first.traffic", outageDay());
    std::string second = test::makeArchive(
        dir, "second.traffic", test::membersOf({{101, test::marginalDay()}, {4500, kHealthyDay}}));
    add({{first, "2024-03-15"}, {second, "2024-03-16"}});
    LedgerStore ledger(db, LedgerStore::Access::Read);

    using enum CellVerdict;
    LedgerWindow all = readLedgerWindow(ledger, {}, {});
    const LedgerGrid& grid = all.grid;
    EXPECT_EQ(grid.dates, (std::vector<std::string>{"2024-03-15", "2024-03-16"}));
    ASSERT_EQ(grid.detectors.size(), 12u);  // 101 to 111, 4500
    EXPECT_EQ(grid.detectors.back(), 4500);
    EXPECT_EQ(std::vector({grid.at(0, 0), grid.at(0, 1), grid.at(1, 0), grid.at(1, 1)}),
              std::vector({FeedOutage, Marg, Hlth, NoRecord}));
    EXPECT_EQ(std::vector({grid.at(11, 0), grid.at(11, 1)}), std::vector({NoRecord, Excluded}));
    EXPECT_EQ(reportCsv(all.report), reportCsv(readReport(ledger, {}, {})));

    LedgerWindow last = readLedgerWindow(ledger, {"2024-03-16", ""}, {});
    EXPECT_EQ(last.grid.detectors, (std::vector<int16_t>{101, 4500}));
    EXPECT_EQ(last.grid.cells, std::vector({Marg, Excluded}));
    EXPECT_EQ(last.report.window.to, "2024-03-16");

    EXPECT_EQ(ledger.detectorDay("2024-03-16", 101)->healthClass, modBaddet::HealthClass::Marg);
    EXPECT_EQ(ledger.detectorDay("2024-03-15", 101)->outageMissing, 10);
    EXPECT_FALSE(ledger.detectorDay("2024-03-16", 102));
    EXPECT_EQ(ledger.archiveOf("2024-03-15"), std::filesystem::absolute(first).string());
    EXPECT_FALSE(ledger.archiveOf("2024-03-17"));

    // Two dates missing before a day tested with other parameters.
    AddOptions other;
    other.parameters[kMargTh] = "13";
    add({{second, "2024-03-19"}}, other);
    HistoryReport report = readReport(ledger, {}, {});
    EXPECT_EQ(report.missingDates, 2);
    EXPECT_EQ(report.otherParameterDays, 1);
    report = readReport(ledger, {"", "2024-03-18"}, {});
    EXPECT_EQ(std::pair(report.missingDates, report.otherParameterDays), std::pair(0, 0));
}

TEST(LedgerGrid, AVerdictOwedToAnOutageIsDrawnAsThatOutage) {
    using enum Attribution;
    const std::pair<Attribution, CellVerdict> cases[] = {
        {None, CellVerdict::High},
        {Detector, CellVerdict::High},
        {FeedOutage, CellVerdict::FeedOutage},
        {ControllerOutage, CellVerdict::UnitOutage},
        {StationOutage, CellVerdict::UnitOutage}};
    for (auto [attribution, verdict] : cases) {
        LedgerCell cell;
        cell.healthClass = modBaddet::HealthClass::High;
        cell.attribution = attribution;
        EXPECT_EQ(verdictOf(cell), verdict) << attributionName(attribution);
    }
}

TEST(LedgerLocation, ServerUrisLoseTheirPasswordWhereverTheyAreShown) {
    struct Case {
        const char* location;
        bool server;
        const char* shown;
        const char* caption;
    };
    const Case cases[] = {
        {"/data/sorvane-history.sqlite", false, "/data/sorvane-history.sqlite",
         "sorvane-history.sqlite"},
        {"postgresql://sorvane@dbhost/traffic", true, "postgresql://sorvane@dbhost/traffic",
         "dbhost/traffic"},
        {"postgres://night:s3cr@t@dbhost:5433/traffic?password=x&sslmode=require", true,
         "postgres://night@dbhost:5433/traffic?sslmode=require", "dbhost/traffic"},
        {"postgresql://u:pw@[::1]:5432/db?password=x", true, "postgresql://u@[::1]:5432/db",
         "[::1]/db"},
        {"postgresql:///traffic?host=/run/pg", true, "postgresql:///traffic?host=/run/pg",
         "/run/pg/traffic"},
        {"postgresql://u@?host=db1&dbname=traffic", true, "postgresql://u@?host=db1&dbname=traffic",
         "db1/traffic"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location);
        EXPECT_EQ(isServerLedger(c.location), c.server);
        EXPECT_EQ(shownLocation(c.location), c.shown);
        EXPECT_EQ(ledgerCaption(c.location), c.caption);
    }
}

}  // namespace
}  // namespace sorvane::history
