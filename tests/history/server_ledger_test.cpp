// The ledger on a PostgreSQL server that the tests start themselves, beside the SQLite file:
// the same commands, the same bytes, writers and readers at once, a lost connection, a role that
// only reads, copies both ways and a newer schema refused.
#include <gtest/gtest.h>

#include <regex>

#include "history/ledger_store.h"
#include "mkarchive/synthetic_run.h"
#include "pg_test_server.h"
#include "support/test_support.h"

namespace sorvane::history {
namespace {

constexpr int kDetectors = 60;

// One server for the whole executable, stopped after the last test whatever its outcome.
test::PgTestServer* server = nullptr;

class ServerEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { server = new test::PgTestServer(); }
    void TearDown() override {
        delete server;
        server = nullptr;
    }
};
const auto* environment = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

// The ledgers a case runs on: a file, and a database of its own on the server.
enum class Backend { File, Server };

// Five generated days (the third with a feed outage, one with a station or controller outage)
// and their network's inventory, in the test's folder.
class ServerLedger : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        if (!server || !server->unavailable().empty())
            GTEST_SKIP() << (server ? server->unavailable() : "no server");
        synth::RunOptions run;
        run.day.detectors = kDetectors;
        run.day.faultShare = 0.3;
        run.days = 5;
        run.start = "20240304";
        days = test::writeRun(dir, run);
        test::writeFile(dir.file("inventory.csv"),
                        synth::inventoryCsv(synth::runNetwork(run), run.day.firstDetector));
    }
    // Runs `sorvane-cli history ARGS` in the folder, with `--db DB` when one is given.
    test::CommandResult history(const std::string& args, const std::string& db = "") const {
        std::string words = db.empty() ? args : args + " --db " + db;
        return test::runCommand(test::withWords({SORVANE_CLI, "history"}, words), dir.path());
    }
    pid_t startHistory(const std::string& args, const std::string& db, const char* err) const {
        return test::startCommand(test::withWords({SORVANE_CLI, "history"}, args + " --db " + db),
                                  dir.path(), "/dev/null", dir.file(err));
    }
    std::string freshLedger() const {
        return GetParam() == Backend::File ? dir.file("ledger.sqlite") : server->createDatabase();
    }
    // What the read commands print for the ledger: `history days`, `history report --csv` and
    // `history day --csv` of every date, one after the other.
    std::string readings(const std::string& db) const {
        std::string all = history("days", db).out;
        history("report --csv report.csv", db);
        all += test::readFile(dir.file("report.csv"));
        for (const std::string& date : LedgerStore(db, LedgerStore::Access::Read).dates({})) {
            history("day " + date + " --csv day.csv", db);
            all += test::readFile(dir.file("day.csv"));
        }
        return all;
    }
    test::TempDir dir;
    std::vector<std::string> days;
};
class BothLedgers : public ServerLedger {};

// The database a test server's URI names.
std::string databaseOf(const std::string& uri) {
    size_t start = uri.find("@/") + 2;
    return uri.substr(start, uri.find('?') - start);
}

TEST_F(ServerLedger, PrintsTheFilesBytesAndCopiesBothWays) {
    const std::string file = dir.file("desk.sqlite");
    const std::string uri = server->createDatabase();
    for (const std::string& db : {file, uri}) {
        ASSERT_EQ(history("inventory import inventory.csv", db).exitCode, 0) << db;
        test::CommandResult r = history("add " + days[0] + " " + days[1] + " " + days[2] + " " +
                                            days[3] + " " + days[4] + " --jobs 2",
                                        db);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
    }
    // Added apart, the two differ only in the time each day was tested.
    std::regex testedAt("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
    std::string fromFile = readings(file);
    EXPECT_NE(fromFile.find("station"), std::string::npos);  // the unit outages are there
    EXPECT_EQ(std::regex_replace(readings(uri), testedAt, "T"),
              std::regex_replace(fromFile, testedAt, "T"));

    // A copy is the very ledger, either way.
    const std::string copy = server->createDatabase();
    test::CommandResult r = history("copy --from " + file + " --to " + copy);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Copied 5 days (2024-03-04 to 2024-03-08) and 1 inventory version from " +
                         file + " to " + copy + "\n");
    EXPECT_EQ(readings(copy), fromFile);
    const std::string back = dir.file("back.sqlite");
    r = history("copy --from " + copy + " --to " + back);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readings(back), fromFile);
    EXPECT_EQ(history("inventory show", back).out, history("inventory show", file).out);

    // A target that holds any of the dates is refused, naming them, unless replaced.
    history("remove 2024-03-05 2024-03-06 2024-03-07 2024-03-08", back);
    r = history("copy --from " + back + " --to " + copy);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "The ledger " + copy +
                         " holds the days 2024-03-04 and the inventory versions of 0001-01-01 "
                         "already; copy with --replace to replace them\n");
    r = history("copy --replace --from " + back + " --to " + copy);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readings(copy), fromFile);
}

TEST_P(BothLedgers, WritersOfOneDateAndAReader) {
    const std::string db = freshLedger();
    ASSERT_EQ(history("add " + days[0], db).exitCode, 0);
    // Two adders of the same new dates and one of other dates at once; a reader meanwhile.
    const std::string same = days[1] + " " + days[2] + " --jobs 1";
    pid_t first = startHistory("add " + same, db, "first.err");
    pid_t second = startHistory("add " + same, db, "second.err");
    pid_t other = startHistory("add " + days[3] + " " + days[4], db, "other.err");
    for (int read = 0; read < 20; ++read) {
        LedgerStore ledger(db, LedgerStore::Access::Read);
        ledger.readConsistently([&] {
            for (const auto& [date, tally] : ledger.dayTallies({}))
                EXPECT_EQ(tally.detectors, kDetectors) << date;
        });
    }
    int firstStatus = test::exitCodeOf(first), secondStatus = test::exitCodeOf(second);
    EXPECT_EQ(test::exitCodeOf(other), 0) << test::readFile(dir.file("other.err"));
    // Each date went in whole once; the later writer of a date was refused for it, as it
    // started or as it came to write (both fail when each was first to one of the dates).
    EXPECT_NE(firstStatus + secondStatus, 0);
    std::string refused =
        test::readFile(dir.file("first.err")) + test::readFile(dir.file("second.err"));
    EXPECT_TRUE(std::regex_search(refused, std::regex("The ledger holds 2024-03-0[56] already")))
        << refused;
    // With --replace the later one waits and replaces whole.
    first = startHistory("add --replace " + same, db, "first.err");
    second = startHistory("add --replace " + same, db, "second.err");
    EXPECT_EQ(test::exitCodeOf(first), 0) << test::readFile(dir.file("first.err"));
    EXPECT_EQ(test::exitCodeOf(second), 0) << test::readFile(dir.file("second.err"));
    LedgerStore ledger(db, LedgerStore::Access::Read);
    EXPECT_EQ(ledger.dates({}).size(), 5u);
    EXPECT_EQ(ledger.cells({}).size(), 5u * kDetectors);
}

TEST_P(BothLedgers, NewerSchemaVersionRefused) {
    const std::string db = freshLedger();
    ASSERT_EQ(history("add " + days[0], db).exitCode, 0);
    if (GetParam() == Backend::File) {
        sql::Database(db, sql::Database::Mode::ReadWrite).exec("PRAGMA user_version = 4");
    } else {
        server->exec(databaseOf(db), "UPDATE sorvane.schema_version SET version = 4");
    }
    const std::string refusal = "The ledger " + db +
                                " was written by a newer Sorvane (schema version 4); this "
                                "Sorvane knows schema version 3 and leaves it as it is\n";
    for (const std::string& command : {std::string("days"), "add " + days[1]}) {
        test::CommandResult r = history(command, db);
        EXPECT_EQ(r.exitCode, 1) << command;
        EXPECT_EQ(r.err, refusal) << command;
    }
}

TEST_P(BothLedgers, ReadsMoreCellsThanABatchWithQueriesBetween) {
    const std::string db = freshLedger();
    constexpr int kMany = 12000;  // two days: more cells than a server sends at once
    {
        LedgerStore ledger(db, LedgerStore::Access::Add);
        for (const char* date : {"2024-03-04", "2024-03-05"}) {
            DayRecord day{date, "/archives/day.traffic", kMany, "p", "2024-03-06T00:00:00Z", {},
                          {}};
            for (int det = kMany; det >= 1; --det) {
                DetectorDayRecord row;
                row.date = date;
                row.det = static_cast<int16_t>(det);
                day.rows.push_back(row);
            }
            ledger.writeDay(day);
        }
    }
    LedgerStore ledger(db, LedgerStore::Access::Read);
    std::vector<std::string> order;
    size_t cells = 0, daysBetween = 0;
    ledger.readConsistently([&] {
        ledger.eachCell({}, [&](const LedgerCell& cell) {
            if (++cells % 5000 == 0) daysBetween += ledger.days({}).size();
            if (cell.det == 1 || cell.det == kMany) order.push_back(cell.date);
        });
    });
    EXPECT_EQ(cells, 2u * kMany);
    EXPECT_EQ(daysBetween, 2u * (2 * kMany / 5000));
    EXPECT_EQ(order,
              (std::vector<std::string>{"2024-03-04", "2024-03-04", "2024-03-05", "2024-03-05"}));
}

INSTANTIATE_TEST_SUITE_P(, BothLedgers, ::testing::Values(Backend::File, Backend::Server),
                         [](const auto& info) {
                             return info.param == Backend::File ? "File" : "Server";
                         });

// A role that only reads, as the README grants it; then a connection lost mid-add and a server
// that is not there.
TEST_F(ServerLedger, ARoleThatOnlyReadsAndALostConnection) {
    std::string uri = server->createDatabase();
    const std::string database = databaseOf(uri);
    ASSERT_EQ(history("add " + days[0], uri).exitCode, 0);
    server->exec(database,
                 "DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = "
                 "'reader') THEN CREATE ROLE reader LOGIN; END IF; END $$; "
                 "GRANT CONNECT ON DATABASE " +
                     database +
                     " TO reader; "
                     "GRANT USAGE ON SCHEMA sorvane TO reader; "
                     "GRANT SELECT ON ALL TABLES IN SCHEMA sorvane TO reader;");
    const std::string reader = server->uri(database, "reader");
    test::CommandResult r = history("days", reader);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, history("days", uri).out);
    EXPECT_EQ(history("report", reader).exitCode, 0);
    r = history("add " + days[1], reader);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("The ledger " + reader +
                         " failed: permission denied for table detector_days.\n"),
              std::string::npos)
        << r.err;
    r = history("remove 2024-03-04", reader);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(LedgerStore(uri, LedgerStore::Access::Read).dates({}).size(), 1u);

    // The server ends the connection while it writes the third date, inside its transaction.
    server->exec(database, R"(
        CREATE FUNCTION sorvane.cut() RETURNS trigger LANGUAGE plpgsql AS $$
        BEGIN
            IF NEW.date = '2024-03-06' THEN PERFORM pg_terminate_backend(pg_backend_pid()); END IF;
            RETURN NEW;
        END $$;
        CREATE TRIGGER cut BEFORE INSERT ON sorvane.days FOR EACH ROW EXECUTE FUNCTION sorvane.cut();
    )");
    // The password in the URI is no part of any message.
    std::string withPassword = "postgresql://postgres:s3cret@" + uri.substr(uri.find("@") + 1);
    r = history("add " + days[1] + " " + days[2] + " --jobs 1", withPassword);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.find("s3cret"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("The connection to the ledger " + uri + " was lost: "), std::string::npos)
        << r.err;
    EXPECT_EQ(r.out.rfind("2024-03-05: ", 0), 0u) << r.out;
    server->exec(database, "DROP TRIGGER cut ON sorvane.days");
    LedgerStore ledger(uri, LedgerStore::Access::Read);
    EXPECT_EQ(ledger.dates({}), (std::vector<std::string>{"2024-03-04", "2024-03-05"}));
    EXPECT_EQ(ledger.cells({}).size(), 2u * kDetectors);

    // A server that is not there: the message names it, without the password.
    server->stop();
    r = history("days", withPassword);
    server->start();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("The ledger " + uri + " cannot be opened: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find("s3cret"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace sorvane::history
