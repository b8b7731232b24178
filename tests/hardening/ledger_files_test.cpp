// The ledger's own files: read by a user who does not own them, planted links, files that are
// no ledger file, a ledger that cannot be written, another program holding it, a newer schema,
// a missing key, and outputs onto SQLite's files beside it. Whatever is refused leaves the
// folder as it was, and the owner's next add works.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "common/error.h"
#include "hardening/ledger_sample.h"
#include "hardening/limited_child.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using history::LedgerStore;

constexpr uid_t kNobody = 65534;
constexpr int kRefusedForWal = 200;
constexpr int kOtherFailure = 201;

// The days that user `nobody` reads from the ledger, or kRefusedForWal when it is refused for
// its -wal, or kOtherFailure.
int daysReadByAnotherUser(const std::string& ledger) {
    return test::runAsOrdinaryUser([&] {
        try {
            LedgerStore store(ledger, LedgerStore::Access::Read);
            return static_cast<int>(store.dates({}).size());
        } catch (const SorvaneError& e) {
            return e.description().find("its -wal file") != std::string::npos ? kRefusedForWal
                                                                              : kOtherFailure;
        }
    });
}

// How the owner leaves the ledger for the reader: three days checkpointed into the file, and
// three more kept in its -wal (copied while the owner's connection was open), with or without
// the -shm file beside it; or the -wal empty beside its -shm (copied while open, nothing added).
enum class Left { Closed, DaysInWal, DaysInWalAndShm, EmptyWalAndShm };

void leaveLedger(const std::string& folder, Left left) {
    std::string ledger = folder + "/ledger.sqlite";
    test::addSampleDays(ledger, 3);
    if (left == Left::Closed) return;
    test::TempDir work;
    std::string open = work.file("ledger.sqlite");
    fs::copy_file(ledger, open);
    LedgerStore store(open, LedgerStore::Access::Add);
    for (int d = 4; d <= (left == Left::EmptyWalAndShm ? 3 : 6); ++d)
        store.writeDay(test::sampleDay("2024-03-0" + std::to_string(d)));
    fs::copy_file(open, ledger, fs::copy_options::overwrite_existing);
    fs::copy_file(open + "-wal", ledger + "-wal");
    if (left != Left::DaysInWal) fs::copy_file(open + "-shm", ledger + "-shm");
}

struct ReaderCase {
    const char* what;
    mode_t folderMode;
    Left left;
    int expected;  // days read, or kRefusedForWal
};

const ReaderCase kReaderCases[] = {
    {"read-only folder, days in the -wal, no -shm", 0755, Left::DaysInWal, kRefusedForWal},
    {"shared sticky folder, days in the -wal, no -shm", 01777, Left::DaysInWal, kRefusedForWal},
    {"shared sticky folder, days in the -wal and its -shm", 01777, Left::DaysInWalAndShm, 6},
    {"read-only folder, days in the -wal and its -shm", 0755, Left::DaysInWalAndShm, 6},
    {"shared sticky folder, an empty -wal and its -shm", 01777, Left::EmptyWalAndShm, 3},
    {"shared sticky folder, a closed ledger", 01777, Left::Closed, 3},
    {"read-only folder, a closed ledger", 0755, Left::Closed, 3},
};

TEST(LedgerFiles, AnotherUserReadsEveryDayOrIsRefusedAndCreatesNoFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to read as another user";
    for (const ReaderCase& c : kReaderCases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        std::string folder = dir.file("shared");
        fs::create_directory(folder);
        ::chmod(dir.path().c_str(), 0755);
        leaveLedger(folder, c.left);
        ::chmod(folder.c_str(), c.folderMode);
        std::vector<std::string> before = test::filesIn(folder);
        EXPECT_EQ(daysReadByAnotherUser(folder + "/ledger.sqlite"), c.expected);
        EXPECT_EQ(test::filesIn(folder), before);
        // The owner's ledger is still the owner's: a day is added, and every day is there.
        test::addSampleDays(folder + "/ledger.sqlite", 1, 20);
        LedgerStore store(folder + "/ledger.sqlite", LedgerStore::Access::Read);
        EXPECT_EQ(store.dates({}).size(), static_cast<size_t>(c.expected == 3 ? 4 : 7));
    }
}

// A ledger (or a file beside it) that is refused before SQLite opens anything: how the test's
// folder is prepared, and the words of the message.
struct RefusedCase {
    const char* what;
    std::function<void(const std::string& folder)> prepare;
    const char* message;
    // What reading it says, when that differs.
    const char* readMessage = nullptr;
};

void makeLink(const std::string& target, const std::string& link, uid_t owner = ::geteuid()) {
    fs::create_symlink(target, link);
    ASSERT_EQ(::lchown(link.c_str(), owner, owner), 0);
}

const std::vector<RefusedCase> kRefusedCases = {
    {"a named pipe", [](const std::string& f) { ::mkfifo((f + "/ledger.sqlite").c_str(), 0644); },
     "is not a regular file"},
    {"a device node",
     [](const std::string& f) {
         ::mknod((f + "/ledger.sqlite").c_str(), S_IFCHR | 0666, ::makedev(1, 3));
     },
     "is not a regular file"},
    {"a link to a device",
     [](const std::string& f) { makeLink("/dev/null", f + "/ledger.sqlite"); },
     "is not a regular file"},
    {"a folder", [](const std::string& f) { fs::create_directory(f + "/ledger.sqlite"); },
     "Is a directory", "is not a regular file"},
    {"a link to nothing",
     [](const std::string& f) { makeLink(f + "/elsewhere.sqlite", f + "/ledger.sqlite"); },
     "a link to a file that does not exist"},
    {"a link another user planted in a shared sticky folder",
     [](const std::string& f) {
         test::addSampleDays(f + "/own.sqlite", 1);
         ::chmod(f.c_str(), 01777);
         makeLink(f + "/own.sqlite", f + "/ledger.sqlite", kNobody);
     },
     "another user made"},
    {"a -wal link another user planted in a shared sticky folder",
     [](const std::string& f) {
         test::addSampleDays(f + "/ledger.sqlite", 1);
         ::chmod(f.c_str(), 01777);
         makeLink(f + "/elsewhere", f + "/ledger.sqlite-wal", kNobody);
     },
     "another user made", "its -wal file"},
};

TEST(LedgerFiles, WhatIsNoLedgerFileIsRefusedBeforeItIsOpened) {
    for (auto access : {LedgerStore::Access::Add, LedgerStore::Access::Read}) {
        for (const RefusedCase& c : kRefusedCases) {
            SCOPED_TRACE(std::string(c.what) +
                         (access == LedgerStore::Access::Add ? ", add" : ", read"));
            if (::geteuid() != 0 &&
                (std::string(c.what).find("another user") != std::string::npos ||
                 std::string(c.what).find("device node") != std::string::npos))
                continue;  // only root may give a link to another user, or make a device
            test::TempDir dir;
            c.prepare(dir.path());
            std::vector<std::string> before = test::filesIn(dir.path());
            std::string message =
                access == LedgerStore::Access::Read && c.readMessage ? c.readMessage : c.message;
            std::string said =
                test::refusal([&] { LedgerStore store(dir.file("ledger.sqlite"), access); });
            EXPECT_NE(said.find(message), std::string::npos) << said;
            EXPECT_EQ(test::filesIn(dir.path()), before);
        }
    }
}

// A ledger that the add may not change: refused with the words given, the file keeping its bytes
// and nothing left beside it.
struct UnchangedCase {
    const char* what;
    const char* change;  // SQL run on the sample ledger, or "" to make it read-only
    const char* message;
};

const UnchangedCase kUnchangedCases[] = {
    {"a newer schema with no tables",
     "DROP TABLE days; DROP TABLE detector_days; DROP TABLE feed_outages; "
     "PRAGMA user_version = 7",
     "newer Sorvane (schema version 7)"},
    {"days without its primary key",
     "CREATE TABLE d AS SELECT * FROM days; DROP TABLE days; ALTER TABLE d RENAME TO days",
     "no primary key (date) in table days"},
    {"detector_days without its primary key",
     "CREATE TABLE d AS SELECT * FROM detector_days; DROP TABLE detector_days; "
     "ALTER TABLE d RENAME TO detector_days; CREATE INDEX i ON detector_days(det)",
     "no primary key (date, det) in table detector_days"},
    {"feed_outages without its index", "DROP INDEX feed_outages_by_date",
     "no index on date in table feed_outages"},
    {"a ledger of mode 444", "", "Permission denied"},
};

TEST(LedgerFiles, ALedgerThatMayNotBeChangedIsRefusedAndLeftAsItWas) {
    for (const UnchangedCase& c : kUnchangedCases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        std::string ledger = dir.file("ledger.sqlite");
        test::addSampleDays(ledger, 1);
        if (*c.change) {
            history::sql::Database db(ledger, history::sql::Database::Mode::ReadWrite);
            db.exec(c.change);
        } else {
            ::chmod(ledger.c_str(), 0444);
        }
        std::string bytes = test::readFile(ledger);
        for (auto access : {LedgerStore::Access::Add, LedgerStore::Access::Read}) {
            try {
                LedgerStore store(ledger, access);
                EXPECT_EQ(access, LedgerStore::Access::Read) << "added to";
                EXPECT_EQ(*c.change, '\0') << "read";
            } catch (const SorvaneError& e) {
                EXPECT_NE(e.description().find(c.message), std::string::npos) << e.description();
            }
            EXPECT_EQ(test::readFile(ledger), bytes);
            EXPECT_EQ(test::filesIn(dir.path()), std::vector<std::string>{"ledger.sqlite"});
        }
        // Once it may be written, the owner adds to it.
        if (!*c.change) {
            ::chmod(ledger.c_str(), 0644);
            test::addSampleDays(ledger, 1, 2);
        }
    }
}

TEST(LedgerFiles, AnAddWaitsForAnotherProgramNoLongerThanTheBusyTimeout) {
    test::TempDir dir;
    std::string ledger = dir.file("ledger.sqlite");
    test::addSampleDays(ledger, 1);
    {
        history::sql::Database db(ledger, history::sql::Database::Mode::ReadWrite);
        db.exec("PRAGMA journal_mode=DELETE");
    }
    // Another program reads the ledger, not in WAL mode, and keeps its read open.
    history::sql::Database reader(ledger, history::sql::Database::Mode::ReadOnly);
    reader.exec("BEGIN");
    history::sql::Statement read(reader, "SELECT date FROM days");
    ASSERT_TRUE(read.step());
    std::string said = test::refusal([&] {
        LedgerStore store(ledger, LedgerStore::Access::Add, std::chrono::milliseconds(300));
    });
    EXPECT_NE(said.find("is held by another program"), std::string::npos) << said;
}

TEST(LedgerFiles, TheReportsCsvIsNoneOfTheLedgersOwnFiles) {
    test::TempDir dir;
    std::string ledger = dir.file("ledger.sqlite");
    test::addSampleDays(ledger, 2);
    fs::create_symlink(ledger, dir.file("link.sqlite"));
    for (const char* csv : {"ledger.sqlite-wal", "ledger.sqlite-shm", "ledger.sqlite-journal",
                            "./ledger.sqlite-wal"}) {
        for (const char* db : {"ledger.sqlite", "link.sqlite"}) {
            SCOPED_TRACE(std::string(csv) + " of " + db);
            test::CommandResult r = test::runCommand(
                {SORVANE_CLI, "history", "report", "--db", db, "--csv", csv}, dir.path());
            EXPECT_EQ(r.exitCode, 2);
            EXPECT_NE(r.err.find("is the ledger's"), std::string::npos) << r.err;
            EXPECT_EQ(test::filesIn(dir.path()),
                      (std::vector<std::string>{"ledger.sqlite", "link.sqlite"}));
        }
    }
}

}  // namespace
}  // namespace sorvane
