// Values that another tool wrote into a ledger, outside what the program writes: the report and
// the detector's days fail naming the table, the date and the value, shown safely; nothing wraps
// or overflows.
#include <gtest/gtest.h>

#include "hardening/ledger_sample.h"
#include "history/sqlite_db.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

struct ValueCase {
    const char* change;   // SQL run on a ledger of the sample day 2024-03-01
    const char* command;  // "report" or "detector"
    const char* message;
};

const ValueCase kValueCases[] = {
    {"UPDATE detector_days SET det = 70000", "report",
     "table detector_days on date 2024-03-01: det 70000"},
    {"UPDATE detector_days SET det = 'x'", "report", "det x"},
    {"UPDATE detector_days SET class = 'Bad'", "report", "class Bad"},
    {"UPDATE detector_days SET step = 'Nothing'", "detector", "step Nothing"},
    {"UPDATE detector_days SET attribution = 'someone'", "report", "attribution someone"},
    {"UPDATE detector_days SET status = CAST(x'ff41' AS TEXT)", "report", "status \\xFFA"},
    {"UPDATE detector_days SET missing = 40000", "detector", "missing 40000"},
    {"UPDATE detector_days SET dev_index = 1e300", "detector", "dev_index 1.0e+300"},
    {"UPDATE detector_days SET valid_vol_slots = -1", "detector", "valid_vol_slots -1"},
    {"UPDATE detector_days SET outage_missing = 99999", "detector", "outage_missing 99999"},
    {"UPDATE detector_days SET date = '2024-02-30'", "detector",
     "table detector_days on date 2024-02-30: date 2024-02-30"},
    {"UPDATE feed_outages SET first_slot = -5", "report",
     "table feed_outages on date 2024-03-01: first_slot -5"},
    {"UPDATE feed_outages SET last_slot = 99999999", "report", "last_slot 99999999"},
    {"UPDATE feed_outages SET first_slot = 200", "report", "last_slot 109"},
    {"UPDATE feed_outages SET share = 7.5", "report", "share 7.5"},
    {"UPDATE feed_outages SET share = NULL", "report", "share NULL"},
    {"UPDATE days SET date = '2024-3-1'", "report", "table days on date 2024-3-1: date 2024-3-1"},
};

TEST(LedgerValues, AValueTheProgramNeverWritesFailsTheCommandNamingIt) {
    for (const ValueCase& c : kValueCases) {
        SCOPED_TRACE(c.change);
        test::TempDir dir;
        std::string ledger = dir.file("ledger.sqlite");
        test::addSampleDays(ledger, 1);
        {
            history::sql::Database db(ledger, history::sql::Database::Mode::ReadWrite);
            db.exec(c.change);
        }
        std::vector<std::string> args{SORVANE_CLI, "history", c.command, "--db", ledger};
        if (std::string(c.command) == "detector") args.insert(args.begin() + 3, "101");
        test::CommandResult r = test::runCommand(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace sorvane
