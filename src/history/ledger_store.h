#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/inventory_versions.h"
#include "history/ledger_record.h"
#include "history/sql_connection.h"
#include "history/sqlite_db.h"

namespace sorvane::history {

constexpr std::string_view kDefaultLedgerFile = "sorvane-history.sqlite";

// Dates from `from` to `to`, both included (YYYY-MM-DD); an empty end is open.
struct DateWindow {
    std::string from;
    std::string to;
};

// A detector-day as the reports across days read it: no texts, no measures.
struct LedgerCell {
    std::string date;
    int16_t det = 0;
    modBaddet::HealthClass healthClass = modBaddet::HealthClass::Hlth;
    modBaddet::DecisionStep step = modBaddet::DecisionStep::Healthy;
    Attribution attribution = Attribution::None;
    std::optional<DailyStatus> status;
    // The sum of the volume bytes below 128 over slots 600 to 2639 and their number; absent for
    // unreadable and excluded detectors and for days recorded before the ledger kept them.
    std::optional<int32_t> daytimeVolume = std::nullopt;
    std::optional<int32_t> daytimeValid = std::nullopt;
};

// A row of days: a tested day and what was tested.
struct LedgerDay {
    std::string date;
    std::string archive;
    int detectors = 0;
    std::string parameters;
    std::string testedAt;
    // Absent for days recorded before the ledger kept them.
    std::optional<int64_t> archiveSize = std::nullopt;
    std::optional<std::string> archiveFingerprint = std::nullopt;
    std::optional<std::string> laneParameters = std::nullopt;
};

// A day's detectors counted by class and by whom their verdicts are owed.
struct DayTally {
    std::array<int, 5> perClass{};  // indexed by modBaddet::HealthClass
    int unreadable = 0;
    int owedToOutages = 0;      // High and Susp verdicts owed to a feed outage
    int owedToUnitOutages = 0;  // to a controller or station outage
    int owedToDetectors = 0;    // and to the detector itself
    int detectors = 0;          // the detectors recorded

    int of(modBaddet::HealthClass c) const { return perClass[static_cast<size_t>(c)]; }
};

struct DatedOutage {
    std::string date;
    FeedOutage outage;
};

struct DatedUnitOutage {
    std::string date;
    UnitOutage outage;
};

// The health ledger: a database of tested days (tables days, detector_days and feed_outages),
// an SQLite file or, for a location that is a postgresql:// URI, a database on a PostgreSQL
// server. Failures throw SorvaneError (kErrLedger) naming the ledger (a server without its
// password); a file that is not an SQLite database or holds no ledger is refused before anything
// is written to it. One
// connection: use it from one thread at a time, but for writeDay, which threads may share (a
// window reads through a LedgerStore of its own while days are added).
class LedgerStore {
  public:
    enum class Access {
        Add,  // creates the file and the tables when there are none; WAL, waits out other writers
        // An existing ledger, only read. (Opened for writing by its owner, so that closing it
        // tidies SQLite's -wal and -shm files away; by anyone else so that nothing is created.)
        Read,
    };

    // The longest wait for a lock that another program holds.
    static constexpr std::chrono::milliseconds kBusyTimeout{120000};

    // Failures throw SorvaneError; see ledgerFileToWrite and ledgerFileToRead (ledger_file.h)
    // for the files a ledger may be and how one that is only read is opened.
    LedgerStore(const std::string& path, Access access,
                std::chrono::milliseconds busyTimeout = kBusyTimeout);
    ~LedgerStore();
    LedgerStore(const LedgerStore&) = delete;
    LedgerStore& operator=(const LedgerStore&) = delete;

    // Replaces the day whole (its detectors and outages) in one transaction. Threads may call it
    // at once; their days are written one after the other. Unless held days may be replaced
    // (setReplaceHeldDays), a date that the ledger holds by then is refused (SorvaneError).
    void writeDay(const DayRecord& day);
    void setReplaceHeldDays(bool replace);

    // Runs `read` in one read transaction: its queries see one state of the ledger, whatever
    // other connections add meanwhile.
    void readConsistently(const std::function<void()>& read);

    std::vector<std::string> dates(const DateWindow& window);
    // The days in the window, in date order.
    std::vector<LedgerDay> days(const DateWindow& window);
    // In date order, detectors ascending within a date; a detector's measures and texts come
    // from detectorDays.
    std::vector<LedgerCell> cells(const DateWindow& window);
    // The same cells one at a time, without holding them all.
    void eachCell(const DateWindow& window, const std::function<void(const LedgerCell&)>& cell);
    std::vector<DatedOutage> outages(const DateWindow& window);
    // The controller and station outages, by date, kind, unit and first slot.
    std::vector<DatedUnitOutage> unitOutages(const DateWindow& window);
    // Every record of one detector, in date order, measures and texts included.
    std::vector<DetectorDayRecord> detectorDays(int16_t det);
    // One detector's record of one date, if the ledger holds it.
    std::optional<DetectorDayRecord> detectorDay(const std::string& date, int16_t det);
    // The day whole, as writeDay took it, if the ledger holds the date (read in one read
    // transaction: not within readConsistently).
    std::optional<DayRecord> dayRecord(const std::string& date);
    // The archive recorded for a date (its absolute path), if the ledger holds the date. Throws
    // SorvaneError when a file is there but its size or fingerprint is not the one recorded: it
    // is not the archive tested that day.
    std::optional<std::string> archiveOf(const std::string& date);
    // The tallies of the days in the window, by date; with a filter, of the detectors that it
    // matches under the inventory in force on each date.
    std::map<std::string, DayTally> dayTallies(const DateWindow& window);
    std::map<std::string, DayTally> dayTallies(const DateWindow& window,
                                               const NetworkFilter& filter);
    // One detector's cells before `date`, latest first, while `cell` returns true.
    void eachEarlierCell(int16_t det, const std::string& date,
                         const std::function<bool(const LedgerCell&)>& cell);
    // Deletes the days whole (their detectors and outages) in one transaction, when the ledger
    // holds every one of them; else deletes nothing and returns the dates it does not hold.
    std::vector<std::string> removeDays(const std::vector<std::string>& dates);

    // The inventory versions the ledger holds (none before schema version 3).
    InventoryVersions inventoryVersions();
    // Stores the inventory as the version valid from `validFrom` in one transaction, replacing
    // a version of the same date whole; true when one was replaced.
    bool writeInventory(const std::string& validFrom, const Inventory& inventory);

  private:
    void open(const std::string& path, sql::Database::Mode mode);
    void createTablesIfEmpty();
    int readVersion();
    void checkVersion();
    void checkTables();
    void migrate();
    // A column that version 2 added, or NULL in a version-1 ledger (which is read as it is).
    std::string orNull(const char* version2Column) const;
    std::string orNull3(const char* version3Column) const;
    std::string daytimeColumns() const;
    LedgerCell cellAt(const sql::Statement& s) const;
    void switchToWal();

    std::chrono::milliseconds busyTimeout_;
    std::unique_ptr<sql::Connection> db_;
    sql::Database* file_ = nullptr;  // db_ when the ledger is a file
    int version_ = 0;
    std::mutex writing_;
    bool replaceHeldDays_ = true;
};

}  // namespace sorvane::history
