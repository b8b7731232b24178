// sorvane-cli history as a user runs it: arguments in; stdout, stderr, the ledger and status out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/error.h"
#include "history/archive_check.h"
#include "history/day_verdict.h"
#include "history/history_report.h"
#include "history/ledger_store.h"
#include "history/report_text.h"
#include "history/sqlite_db.h"
#include "support/test_support.h"

namespace sorvane::history {
namespace {

using ::testing::HasSubstr;

// Writes a run of generated days into the folder as YYYYMMDD.traffic; returns their paths.
std::vector<std::string> writeDays(const test::TempDir& dir, int days, int detectors) {
    synth::RunOptions run;
    run.day.detectors = detectors;
    run.day.faultShare = 0.3;
    run.days = days;
    run.start = "20240301";
    return test::writeRun(dir, run);
}

// One day's archive of these members, copied under each date as DATE.traffic; their paths.
std::vector<std::string> copies(const test::TempDir& dir,
                                const std::vector<synth::ArchiveMember>& members,
                                const std::vector<std::string>& dates) {
    std::string day = test::makeArchive(dir, "day.traffic", members);
    std::vector<std::string> paths;
    for (const std::string& date : dates) {
        paths.push_back(dir.file(date + ".traffic"));
        std::filesystem::copy_file(day, paths.back());
    }
    return paths;
}

// One plain day of `detectors` detectors (each a little different), copied under the dates
// from 2024-03-01 on (fewer than ten): quick to write, and every day has all of them.
std::vector<std::string> copyDay(const test::TempDir& dir, int days, int detectors) {
    std::vector<synth::ArchiveMember> members;
    for (int det = 1; det <= detectors; ++det) {
        members.push_back({std::to_string(det) + ".v30", test::volumeBytes(det % 7)});
        members.push_back({std::to_string(det) + ".o30", test::occupancyBytes(det % 90)});
    }
    std::vector<std::string> dates;
    for (int d = 1; d <= days; ++d)
        dates.push_back("2024030" + std::to_string(d));
    return copies(dir, members, dates);
}

// Runs "sorvane-cli history ARGS" (split at blanks) in the folder.
test::CommandResult history(const test::TempDir& dir, const std::string& args) {
    return test::runCommand(test::withWords({SORVANE_CLI, "history"}, args), dir.path());
}

// Starts "sorvane-cli history ARGS" in the folder without waiting; its output is dropped.
pid_t startHistory(const test::TempDir& dir, const std::string& args) {
    return test::startCommand(test::withWords({SORVANE_CLI, "history"}, args), dir.path());
}

// Every day the ledger holds has all its detectors (the generated days list each once).
void expectWholeDays(const std::string& db, size_t detectors, size_t expectedDays) {
    LedgerStore ledger(db, LedgerStore::Access::Read);
    std::vector<std::string> dates = ledger.dates({});
    EXPECT_EQ(dates.size(), expectedDays);
    std::vector<LedgerCell> cells = ledger.cells({});
    EXPECT_EQ(cells.size(), dates.size() * detectors);
    for (const std::string& date : dates)
        EXPECT_EQ(ledger.cells({date, date}).size(), detectors) << date;
}

TEST(HistoryCommand, AddThenReadAsTheEngineDoes) {
    test::TempDir dir;
    writeDays(dir, 5, 120);
    test::CommandResult r =
        history(dir,
                "add 20240301.traffic 20240302.traffic 20240303.traffic 20240304.traffic "
                "20240305.traffic --jobs 2");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("2024-03-01: 120 detectors, ", 0), 0u) << r.out;
    EXPECT_THAT(r.out, HasSubstr("2024-03-03: 120 detectors, "));
    EXPECT_THAT(r.out, HasSubstr(", 1 feed outage, 1 verdict owed to it\n2024-03-04"));

    r = history(dir, "report --from 2024-03-02 --csv report.csv --recent-days 3");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    LedgerStore ledger(dir.file(std::string(kDefaultLedgerFile)), LedgerStore::Access::Read);
    HistoryReport report = readReport(ledger, {"2024-03-02", ""}, {3, 3});
    EXPECT_EQ(r.out, reportText(report));
    EXPECT_THAT(r.out, HasSubstr("Window: 2024-03-02 to 2024-03-05\nDays: 4\n"));
    EXPECT_THAT(r.out, HasSubstr("\nMissing dates: 0\nRepair list:\n"));
    EXPECT_THAT(r.out, HasSubstr("Feed outages:\n2024-03-03 10:00:00-12:59:30 ("));
    EXPECT_EQ(test::readFile(dir.file("report.csv")), reportCsv(report));
    ASSERT_FALSE(report.repairList.empty());

    int16_t det = report.repairList.front().det;
    r = history(dir, "detector " + std::to_string(det));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              detectorDaysText(ledger.detectorDays(det), readDetectorRatios(ledger, det, "")));
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 5);
}

TEST(HistoryCommand, ADateIsAddedOnceReplacedRemovedAndExplained) {
    test::TempDir dir;
    std::vector<std::string> days = writeDays(dir, 5, 40);
    const std::string db = dir.file(std::string(kDefaultLedgerFile));
    test::CommandResult r = history(dir, "add " + days[0] + " " + days[1] + " " + days[2]);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    {
        LedgerStore ledger(db, LedgerStore::Access::Read);
        size_t owed = readDayVerdict(ledger, "2024-03-03")->owed.size();
        EXPECT_THAT(r.out, HasSubstr(", 1 feed outage, " + std::to_string(owed) + " verdict" +
                                     (owed == 1 ? "" : "s") + " owed to it\n"));
    }
    const std::string before = test::readFile(db);

    // A held date is refused before any day is tested, the new one with it.
    r = history(dir, "add " + days[4] + " " + days[1]);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_THAT(r.err,
                HasSubstr("The ledger holds 2024-03-02 already (" + days[1] + ", tested 20"));
    EXPECT_EQ(test::readFile(db), before);

    r = history(dir, "add --replace " + days[1] + " " + days[4]);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("2024-03-02: replaced (was " + days[1] + ", tested 20", 0), 0u) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Z), 40 detectors, "));
    EXPECT_THAT(r.out, HasSubstr("\n2024-03-05: 40 detectors, "));

    r = history(dir, "days");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 5);
    EXPECT_THAT(r.out, HasSubstr("\nmissing: 2024-03-04 (1 day)\n"));

    const std::string four = test::readFile(db);
    r = history(dir, "remove 2024-03-02 2024-03-04");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_THAT(r.err, HasSubstr("The ledger holds no day 2024-03-04; nothing was removed"));
    r = history(dir, "remove 2024-03-02 2024-03-05");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(LedgerStore(db, LedgerStore::Access::Read).dates({}),
              (std::vector<std::string>{"2024-03-01", "2024-03-03"}));

    r = history(dir, "day 2024-03-03 --csv day.csv");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    LedgerStore ledger(db, LedgerStore::Access::Read);
    std::optional<DayVerdict> verdict = readDayVerdict(ledger, "2024-03-03");
    EXPECT_EQ(r.out, dayVerdictText(*verdict));
    EXPECT_EQ(test::readFile(dir.file("day.csv")), dayVerdictCsv(*verdict));
    EXPECT_EQ(history(dir, "day 2024-03-02").exitCode, 2);

    // The archives as recorded, then one replaced by another day's and one gone.
    r = history(dir, "check");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "2024-03-01, ok, " + days[0] + "\n2024-03-03, ok, " + days[2] +
                         "\nok: 2, missing: 0, changed: 0, unknown: 0\n");
    std::filesystem::copy_file(days[1], days[0], std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(days[2]);
    r = history(dir, "check");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "2024-03-01, changed, " + days[0] + "\n2024-03-03, missing, " + days[2] +
                         "\nok: 0, missing: 1, changed: 1, unknown: 0\n");
    EXPECT_EQ(test::refusal([&] { ledger.archiveOf("2024-03-01"); }),
              "The archive " + days[0] +
                  " is not the archive tested on 2024-03-01: its size or fingerprint differs from "
                  "the ledger's record");
    EXPECT_EQ(ledger.archiveOf("2024-03-03"), days[2]);  // gone: the reader says so
    LedgerDay unrecorded = ledger.days({}).front();
    unrecorded.archiveFingerprint.reset();
    EXPECT_EQ(checkArchive(unrecorded), ArchiveState::Unknown);
}

TEST(HistoryCommand, BadInputIsRefusedAndTheLedgerStaysAsItWas) {
    test::TempDir dir;
    std::vector<std::string> days = writeDays(dir, 2, 12);
    ASSERT_EQ(history(dir, "add 20240301.traffic --db ledger.sqlite").exitCode, 0);
    test::writeFile(dir.file("notes.txt"), "not a database");
    sql::Database(dir.file("other.sqlite"), sql::Database::Mode::ReadWriteCreate)
        .exec("CREATE TABLE days(day TEXT)");
    const std::string otherBytes = test::readFile(dir.file("other.sqlite"));
    std::filesystem::copy_file(days[0], dir.file("march.traffic"));
    std::filesystem::copy_file(days[0], dir.file("20240301-copy.traffic"));
    const std::string ledgerBytes = test::readFile(dir.file("ledger.sqlite"));
    struct Case {
        const char* args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {"report --db missing.sqlite", 1, "The ledger missing.sqlite does not exist"},
        {"detector 101 --db missing.sqlite", 1, "does not exist"},
        {"report --db notes.txt", 1, "The file notes.txt is not an SQLite database"},
        {"add 20240302.traffic --db notes.txt", 1, "is not an SQLite database"},
        {"report --db other.sqlite", 1,
         "The file other.sqlite holds no Sorvane health ledger (no column date"},
        {"add 20240302.traffic --db other.sqlite", 1, "holds no Sorvane health ledger"},
        {"report --db ledger.sqlite --from 2024-03-10 --to 2024-03-01", 2,
         "--from 2024-03-10 lies after --to 2024-03-01"},
        {"report --db ledger.sqlite --to 2024-02-30", 2, "--to needs a date YYYY-MM-DD"},
        {"report --db ledger.sqlite --recent-days 0", 2, "--recent-days"},
        {"days --db ledger.sqlite --from 2024-13-01", 2, "--from needs a date YYYY-MM-DD"},
        {"day 2024-03-09 --db ledger.sqlite", 2, "The ledger holds no day 2024-03-09"},
        {"remove 2024-02-30 --db ledger.sqlite", 2, "needs a date YYYY-MM-DD"},
        {"remove 2024-03-01 2024-03-09 --db ledger.sqlite", 2,
         "The ledger holds no day 2024-03-09; nothing was removed"},
        {"check --db missing.sqlite", 1, "does not exist"},
        {"report --db ledger.sqlite --chronic-days 7", 2, "--chronic-days"},
        {"report --db ledger.sqlite --from 2024-03-02", 2,
         "The ledger holds no date from 2024-03-02 to its last day"},
        {"detector 9999 --db ledger.sqlite", 2, "The ledger holds no record of detector 9999"},
        {"detector abc --db ledger.sqlite", 2, "Detector no. is not valid"},
        {"add march.traffic --db ledger.sqlite", 2,
         "The file name of march.traffic does not begin with a date YYYYMMDD"},
        {"add 20240301.traffic 20240301-copy.traffic --db ledger.sqlite", 2,
         "20240301.traffic and 20240301-copy.traffic are both dated 2024-03-01"},
        {"add 20240301.traffic 20240302.traffic --date 2024-03-05 --db ledger.sqlite", 2,
         "--date goes with one archive only"},
        {"add march.traffic --date 2024-13-01 --db ledger.sqlite", 2, "--date needs a date"},
        {"add 20240302.traffic --outage-share 0 --db ledger.sqlite", 2, "--outage-share"},
        {"add 20240302.traffic --set MargTh=x --db ledger.sqlite", 2, "Parameter MargTh = \"x\""},
        {"add 20240302.traffic --settings none.ini --db ledger.sqlite", 1, "none.ini"},
        {"add 20240302.traffic --jobs 0 --db ledger.sqlite", 2, "--jobs"},
        {"report --db ledger.sqlite --csv ./ledger.sqlite", 2, "it cannot be an output"},
        {"add 20240302.traffic --db 20240302.traffic", 2, "it cannot be an output"},
    };
    for (const Case& c : cases) {
        test::CommandResult r = history(dir, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.message)) << c.args << "\n" << r.err;
        EXPECT_EQ(test::readFile(dir.file("ledger.sqlite")), ledgerBytes) << c.args;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.sqlite")));
    EXPECT_EQ(test::readFile(dir.file("notes.txt")), "not a database");
    EXPECT_EQ(test::readFile(dir.file("other.sqlite")), otherBytes);

    // An archive that cannot be read is named with its loading message; the others go in.
    test::writeFile(dir.file("20240303.traffic"), "not a zip");
    test::CommandResult r =
        history(dir, "add 20240303.traffic 20240302.traffic --db ledger.sqlite");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("20240303.traffic: Error No: 19, ", 0), 0u) << r.err;
    EXPECT_THAT(r.out, HasSubstr("2024-03-02: 12 detectors"));
    expectWholeDays(dir.file("ledger.sqlite"), 12, 2);
}

TEST(HistoryCommand, AKilledRunLeavesOnlyWholeDays) {
    test::TempDir dir;
    std::vector<std::string> days = copyDay(dir, 8, 1500);
    std::string args = "add --jobs 1";
    for (const std::string& d : days)
        args += " " + d;
    pid_t pid = startHistory(dir, args);
    std::string db = dir.file(std::string(kDefaultLedgerFile));
    // Kill it once the first day is in, while it works on the next.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (std::chrono::steady_clock::now() < deadline) {
        try {
            if (!LedgerStore(db, LedgerStore::Access::Read).dates({}).empty()) break;
        } catch (const SorvaneError&) {  // not there yet
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(pid, SIGKILL);
    EXPECT_EQ(test::exitCodeOf(pid), -1);
    LedgerStore ledger(db, LedgerStore::Access::Read);
    size_t added = ledger.dates({}).size();
    EXPECT_GE(added, 1u);
    EXPECT_LT(added, days.size()) << "the run ended before it was killed";
    expectWholeDays(db, 1500, added);
}

TEST(HistoryCommand, TwoRunsAtOnceLoseNothing) {
    test::TempDir dir;
    std::vector<std::string> days = copyDay(dir, 6, 200);
    // Both start on a ledger that does not exist yet, and both add the fourth day, which they
    // may replace.
    pid_t first = startHistory(dir, "add " + days[0] + " " + days[1] + " " + days[2] + " " +
                                        days[3] + " --jobs 1 --replace");
    pid_t second =
        startHistory(dir, "add " + days[3] + " " + days[4] + " " + days[5] + " --jobs 1 --replace");
    EXPECT_EQ(test::exitCodeOf(first), 0);
    EXPECT_EQ(test::exitCodeOf(second), 0);
    expectWholeDays(dir.file(std::string(kDefaultLedgerFile)), 200, 6);
}

// Twelve detectors of one plain day, detector 3 silent from 05:00 to 15:00 (a zero run judged
// by [Param] but not by a queue's thresholds), detector 4 silent all day and detectors 5 and 6
// missing from 08:20 to 14:09:30, under the dates.
std::vector<std::string> networkDays(const test::TempDir& dir,
                                     const std::vector<std::string>& dates) {
    std::vector<synth::ArchiveMember> members;
    for (int det = 1; det <= 12; ++det) {
        std::vector<uint8_t> vol = test::volumeBytes(static_cast<uint8_t>(3 + det % 5));
        if (det == 3) std::fill(vol.begin() + 600, vol.begin() + 1800, 0);
        if (det == 4) std::fill(vol.begin(), vol.end(), 0);
        if (det == 5 || det == 6) std::fill(vol.begin() + 1000, vol.begin() + 1700, 255);
        members.push_back({std::to_string(det) + ".v30", vol});
        members.push_back({std::to_string(det) + ".o30", test::occupancyBytes(40 + det)});
    }
    return copies(dir, members, dates);
}

TEST(HistoryCommand, AnInventoryVersionedByDateTestsEachDayWithItsLaneTypes) {
    test::TempDir dir;
    networkDays(dir, {"20240301", "20240302"});
    test::writeFile(dir.file("settings.ini"),
                    "[Param]\nMargTh=12\n[Param.queue]\nConsecZeroVolMin=12\n");
    test::writeFile(dir.file("net.csv"),
                    "detector,station,lane,lane_type,corridor,abandoned,controller\n"
                    "3,S1,1,queue,\"US 10, E\",,\n4,S1,2,mainline,\"US 10, E\",true,\n"
                    "5,S5,1,mainline,I 5 N,,C5\n6,S5,2,mainline,I 5 N,,C5\n"
                    "99,S2,1,exit,I 5 N,,\n");
    test::CommandResult r = history(dir, "inventory import net.csv --from 2024-03-02");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        r.out.rfind("Inventory valid from 2024-03-02: 5 detectors imported from net.csv\n", 0), 0u)
        << r.out;
    r = history(dir, "inventory import net.csv --from 2024-03-02");
    EXPECT_THAT(r.out, HasSubstr("; it replaces the version valid from 2024-03-02\n"));
    EXPECT_EQ(history(dir, "inventory show --date 2024-03-01").exitCode, 2);
    test::writeFile(dir.file("empty.csv"), "detector,station,lane_type\n");
    EXPECT_EQ(history(dir, "inventory import empty.csv --from 2024-03-02").exitCode, 2);
    r = history(dir, "inventory show --date 2024-03-09 --csv back.csv");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("In force on 2024-03-09: the version valid from 2024-03-02\n"));
    EXPECT_NE(
        test::readFile(dir.file("back.csv")).find("\r\n3,S1,1,queue,\"US 10, E\",,,,,,,false\r\n"),
        std::string::npos);

    r = history(dir, "add 20240301.traffic 20240302.traffic --settings settings.ini");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("outage, 2 verdicts owed to it\n2024-03-02"), std::string::npos) << r.out;
    EXPECT_THAT(
        r.out,
        HasSubstr(", 0 feed outages, 1 station or controller outage, 2 verdicts owed to it\n"));
    const std::string db = dir.file(std::string(kDefaultLedgerFile));
    {
        LedgerStore ledger(db, LedgerStore::Access::Read);
        std::vector<LedgerDay> days = ledger.days({});
        EXPECT_EQ(days[0].laneParameters, "");  // no inventory in force yet
        EXPECT_EQ(days[1].laneParameters->rfind("queue:OccSpikeTh=40,", 0), 0u);
        EXPECT_NE(days[1].laneParameters->find(",MargTh=12,MissingPercent=20,ConsecZeroVolMin=12,"),
                  std::string::npos);
        EXPECT_EQ(ledger.detectorDay("2024-03-01", 3)->step, modBaddet::DecisionStep::ZeroRun);
        EXPECT_NE(ledger.detectorDay("2024-03-02", 3)->step, modBaddet::DecisionStep::ZeroRun);
    }

    r = history(dir, "report --csv report.csv");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Abandoned (not in the repair list): 1\nNot in the inventory: 8\n"
                                 "In the inventory, never in an archive: 1\nRepair list:\n"));
    EXPECT_EQ(r.out.find("\n4, "), std::string::npos) << "abandoned, out of the repair list";
    std::string csv = test::readFile(dir.file("report.csv"));
    EXPECT_NE(csv.find(",S1,1,queue,\"US 10, E\",0,\r\n"), std::string::npos) << csv;
    EXPECT_THAT(csv, HasSubstr("\r\n5,1,"));
    r = history(dir, "report --lane-type Queue");
    EXPECT_THAT(r.out, HasSubstr("\nDetectors: 1\n"));
    r = history(dir, "days --station S1");
    EXPECT_EQ(r.out.substr(0, 40), "2024-03-01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2");
    EXPECT_EQ(r.out.substr(r.out.find("\n") + 1, 15), "2024-03-02, 2, ");
    r = history(dir, "report --lane-type ramp");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_THAT(r.err, HasSubstr("\"ramp\" is no lane type"));
    r = history(dir, "day 2024-03-02 --csv day.csv");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(test::readFile(dir.file("day.csv")).find(",S1,2,mainline,\"US 10, E\"\r\n"),
              std::string::npos);
    EXPECT_THAT(r.out,
                HasSubstr("Station and controller outages:\ncontroller C5 08:20:00-14:09:30\n"
                          "Owed to feed outages: 0\nOwed to station and controller outages: 2\n"));
    EXPECT_THAT(r.out,
                HasSubstr("owed to station and controller outages:\ndet, class, step, attribution\n"
                          "5, High, missing, controller_outage\n"));
    r = history(dir, "day 2024-03-01");
    EXPECT_EQ(r.out.find("controller"), std::string::npos) << "no inventory in force: as before";
    r = history(dir, "days");
    EXPECT_THAT(r.out, HasSubstr("\n2024-03-02, 12, 3, 1, 0, 8, 0, 0, 0, 1, "));
}

}  // namespace
}  // namespace sorvane::history
