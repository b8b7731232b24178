// Ledgers of schema versions 1 and 2: read as they are, migrated to version 3 when written, and
// left as they were when the migration fails.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "hardening/ledger_sample.h"
#include "hardening/limited_child.h"
#include "history/history_report.h"
#include "history/report_text.h"
#include "history/sqlite_db.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using history::LedgerStore;
namespace sql = history::sql;

// Makes the sample ledger of `days` days one of schema version 2 or 1 (its journal a rollback
// journal, as a ledger may have), as the Sorvane of that version wrote it.
void writeOldVersion(const std::string& path, int days, int version = 1) {
    test::addSampleDays(path, days);
    sql::Database db(path, sql::Database::Mode::ReadWrite);
    db.exec(
        "PRAGMA journal_mode=DELETE; ALTER TABLE days DROP COLUMN lane_parameters; "
        "DROP TABLE inventory; DROP TABLE unit_outages; PRAGMA user_version = 2");
    if (version == 2) return;
    db.exec(
        "ALTER TABLE days DROP COLUMN archive_size; "
        "ALTER TABLE days DROP COLUMN archive_fingerprint; "
        "ALTER TABLE detector_days DROP COLUMN daytime_volume; "
        "ALTER TABLE detector_days DROP COLUMN daytime_valid; PRAGMA user_version = 1");
}

int versionOf(const std::string& path) {
    sql::Database db(path, sql::Database::Mode::ReadOnly);
    sql::Statement s(db, "PRAGMA user_version");
    s.step();
    return static_cast<int>(s.integer(0));
}

std::string reportOf(const std::string& path) {
    LedgerStore ledger(path, LedgerStore::Access::Read);
    return history::reportCsv(history::readReport(ledger, {}, {}));
}

TEST(LedgerMigration, AnOldLedgerIsReadAsItIsAndMigratedWhenWritten) {
    for (int version : {1, 2}) {
        SCOPED_TRACE(version);
        test::TempDir dir;
        const std::string fresh = dir.file("fresh.sqlite"), old = dir.file("old.sqlite");
        test::addSampleDays(fresh, 3);
        writeOldVersion(old, 3, version);
        const std::string bytes = test::readFile(old);
        EXPECT_EQ(reportOf(old), reportOf(fresh));
        {
            LedgerStore ledger(old, LedgerStore::Access::Read);
            EXPECT_TRUE(ledger.inventoryVersions().empty());
            EXPECT_TRUE(ledger.unitOutages({}).empty());
            EXPECT_FALSE(ledger.days({}).front().laneParameters);
            EXPECT_FALSE(ledger.days({}).front().archiveSize);
            EXPECT_FALSE(ledger.detectorDays(101).front().daytimeValid);
        }
        EXPECT_EQ(test::readFile(old), bytes) << "read, not written";

        // Written: migrated before the day goes in; the old days keep NULL in the new columns.
        history::DayRecord day = test::sampleDay("2024-03-04");
        day.archiveSize = 1234;
        day.archiveFingerprint = std::string(64, 'a');
        day.rows[0].daytimeVolume = 900;
        day.rows[0].daytimeValid = 2040;
        for (const std::string& path : {fresh, old})
            LedgerStore(path, LedgerStore::Access::Add).writeDay(day);
        EXPECT_EQ(versionOf(old), 3);
        EXPECT_EQ(reportOf(old), reportOf(fresh));
        LedgerStore ledger(old, LedgerStore::Access::Read);
        std::vector<history::LedgerDay> days = ledger.days({});
        EXPECT_FALSE(days.front().archiveFingerprint);
        EXPECT_FALSE(days.front().laneParameters);
        EXPECT_EQ(days.back().laneParameters, "");
        EXPECT_EQ(days.back().archiveSize, 1234);
        EXPECT_EQ(ledger.detectorDays(101).back().daytimeVolume, 900);
    }
}

TEST(LedgerMigration, AMigrationThatFailsLeavesTheFileAsItWas) {
    struct Case {
        const char* what;
        // Tries to migrate the ledger at the path, and fails somewhere; a status of 0 means it
        // was refused with a message.
        std::function<int(const std::string&)> fail;
    };
    auto refusedAdd = [](const std::string& path) -> int {  // 0 when refused
        return test::refusal([&] { LedgerStore ledger(path, LedgerStore::Access::Add); }).empty();
    };
    const Case cases[] = {
        {"a read-only file",
         [&](const std::string& path) {
             ::chmod(path.c_str(), 0444);
             int status = test::runAsOrdinaryUser([&] { return refusedAdd(path); });
             ::chmod(path.c_str(), 0666);
             return status;
         }},
        {"a full disk",
         [&](const std::string& path) {
             // The rollback journal cannot take the first page it saves.
             return test::runWithLimit(RLIMIT_FSIZE, 1024, [&] {
                 ::signal(SIGXFSZ, SIG_IGN);
                 return refusedAdd(path);
             });
         }},
        {"a kill during the migration",
         [&](const std::string& path) {
             // A reader holds the file, so the migration waits at its commit, its journal
             // written: killed there.
             sql::Database reader(path, sql::Database::Mode::ReadOnly);
             reader.exec("BEGIN");
             sql::Statement read(reader, "SELECT date FROM days");
             read.step();
             pid_t pid = ::fork();
             if (pid == 0) ::_exit(refusedAdd(path) == 0 ? 3 : 4);
             auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
             while (!std::filesystem::exists(path + "-journal") &&
                    std::chrono::steady_clock::now() < deadline)
                 std::this_thread::sleep_for(std::chrono::milliseconds(2));
             bool journal = std::filesystem::exists(path + "-journal");
             ::kill(pid, SIGKILL);
             int status = 0;
             ::waitpid(pid, &status, 0);
             return journal && WIFSIGNALED(status) ? 0 : 5;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::string path = dir.file("ledger.sqlite");
        writeOldVersion(path, 2);
        const std::string bytes = test::readFile(path);
        const std::string report = reportOf(path);
        EXPECT_EQ(c.fail(path), 0);
        // Read (a killed migration's journal rolled back), it is the ledger it was.
        EXPECT_EQ(reportOf(path), report);
        EXPECT_EQ(versionOf(path), 1);
        EXPECT_EQ(test::readFile(path), bytes);
        // And once it may be, it migrates.
        test::addSampleDays(path, 1, 3);
        EXPECT_EQ(versionOf(path), 3);
    }
}

}  // namespace
}  // namespace sorvane
