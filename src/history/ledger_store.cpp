#include "history/ledger_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "common/error.h"
#include "common/intervals.h"
#include "common/message_text.h"
#include "history/archive_check.h"
#include "history/archive_date.h"
#include "history/ledger_file.h"
#include "history/ledger_location.h"
#include "history/pg_db.h"
#include "history/sqlite_db.h"

namespace sorvane::history {

namespace {

using modBaddet::DecisionStep;
using modBaddet::HealthClass;
using modBaddet::HealthMeasures;

// Raised with a migration whenever the tables change; a newer ledger is not touched.
constexpr int kSchemaVersion = 3;
constexpr auto kWalRetry = std::chrono::milliseconds(10);

constexpr const char* kCreateTables = R"(
CREATE TABLE IF NOT EXISTS days(date TEXT PRIMARY KEY, archive TEXT, detectors INTEGER,
    parameters TEXT, tested_at TEXT, archive_size INTEGER, archive_fingerprint TEXT,
    lane_parameters TEXT);
CREATE TABLE IF NOT EXISTS detector_days(date TEXT, det INTEGER, class TEXT, step TEXT,
    reason TEXT, list_line TEXT, missing INTEGER, zero_run INTEGER, lock_on INTEGER,
    corr_coef REAL, occ_spikes INTEGER, vol_spikes INTEGER, dev_index REAL, vol_high_occ REAL,
    max_vol5 INTEGER, overcount_slots INTEGER, valid_vol_slots INTEGER, outage_missing INTEGER,
    attribution TEXT, status TEXT, daytime_volume INTEGER, daytime_valid INTEGER,
    PRIMARY KEY (date, det)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS feed_outages(date TEXT, first_slot INTEGER, last_slot INTEGER,
    share REAL);
CREATE INDEX IF NOT EXISTS detector_days_by_det ON detector_days(det);
CREATE INDEX IF NOT EXISTS feed_outages_by_date ON feed_outages(date);
CREATE TABLE IF NOT EXISTS inventory(valid_from TEXT, det INTEGER, station TEXT, lane INTEGER,
    lane_type TEXT, corridor TEXT, milepost REAL, latitude REAL, longitude REAL, label TEXT,
    controller TEXT, field_length REAL, abandoned INTEGER, PRIMARY KEY (valid_from, det));
CREATE TABLE IF NOT EXISTS unit_outages(date TEXT, kind TEXT, unit TEXT, first_slot INTEGER,
    last_slot INTEGER);
CREATE INDEX IF NOT EXISTS unit_outages_by_date ON unit_outages(date);
PRAGMA user_version = 3;
)";

// The same tables on a PostgreSQL server, in the schema the connection's search path names:
// reals as double precision (the file's REAL is eight bytes), sizes as bigint, and the texts
// that are ordered and compared ordered by their bytes, as in the file.
constexpr const char* kCreateServerTables = R"(
CREATE TABLE days(date text COLLATE "C" PRIMARY KEY, archive text, detectors integer,
    parameters text, tested_at text, archive_size bigint, archive_fingerprint text,
    lane_parameters text);
CREATE TABLE detector_days(date text COLLATE "C", det integer, class text, step text,
    reason text, list_line text, missing integer, zero_run integer, lock_on integer,
    corr_coef double precision, occ_spikes integer, vol_spikes integer,
    dev_index double precision, vol_high_occ double precision, max_vol5 integer,
    overcount_slots integer, valid_vol_slots integer, outage_missing integer,
    attribution text, status text, daytime_volume integer, daytime_valid integer,
    PRIMARY KEY (date, det));
CREATE TABLE feed_outages(date text COLLATE "C", first_slot integer, last_slot integer,
    share double precision);
CREATE INDEX detector_days_by_det ON detector_days(det, date);
CREATE INDEX feed_outages_by_date ON feed_outages(date);
CREATE TABLE inventory(valid_from text COLLATE "C", det integer, station text, lane integer,
    lane_type text, corridor text, milepost double precision, latitude double precision,
    longitude double precision, label text, controller text, field_length double precision,
    abandoned integer, PRIMARY KEY (valid_from, det));
CREATE TABLE unit_outages(date text COLLATE "C", kind text COLLATE "C", unit text COLLATE "C",
    first_slot integer, last_slot integer);
CREATE INDEX unit_outages_by_date ON unit_outages(date);
CREATE TABLE schema_version(version integer NOT NULL);
INSERT INTO schema_version VALUES (3);
)";

// Writers of one date (or of one inventory version, or of the tables) wait for each other on a
// server; an SQLite writer holds the whole file.
constexpr int kLockDay = 1;
constexpr int kLockInventory = 2;
constexpr int kLockTables = 3;

// What version 2 added to version 1. A version-1 ledger gains it, in one transaction, when it is
// first opened for writing; its old days keep NULL there.
constexpr const char* kMigrateToVersion2 = R"(
ALTER TABLE days ADD COLUMN archive_size INTEGER;
ALTER TABLE days ADD COLUMN archive_fingerprint TEXT;
ALTER TABLE detector_days ADD COLUMN daytime_volume INTEGER;
ALTER TABLE detector_days ADD COLUMN daytime_valid INTEGER;
PRAGMA user_version = 2;
)";

// What version 3 added to version 2: the inventory versions, the lane-type parameters of each
// day and the station and controller outages. Old days keep NULL lane parameters.
constexpr const char* kMigrateToVersion3 = R"(
ALTER TABLE days ADD COLUMN lane_parameters TEXT;
CREATE TABLE inventory(valid_from TEXT, det INTEGER, station TEXT, lane INTEGER,
    lane_type TEXT, corridor TEXT, milepost REAL, latitude REAL, longitude REAL, label TEXT,
    controller TEXT, field_length REAL, abandoned INTEGER, PRIMARY KEY (valid_from, det));
CREATE TABLE unit_outages(date TEXT, kind TEXT, unit TEXT, first_slot INTEGER,
    last_slot INTEGER);
CREATE INDEX unit_outages_by_date ON unit_outages(date);
PRAGMA user_version = 3;
)";

struct TableColumns {
    const char* table;
    std::vector<std::string> columns;
    std::vector<std::string> key;   // the primary key's columns, in order
    const char* indexed = nullptr;  // the first column of an index the queries rely on
};

const TableColumns kLedgerTables[] = {
    {"days", {"date", "archive", "detectors", "parameters", "tested_at"}, {"date"}},
    {"detector_days",
     {"date",
      "det",
      "class",
      "step",
      "reason",
      "list_line",
      "missing",
      "zero_run",
      "lock_on",
      "corr_coef",
      "occ_spikes",
      "vol_spikes",
      "dev_index",
      "vol_high_occ",
      "max_vol5",
      "overcount_slots",
      "valid_vol_slots",
      "outage_missing",
      "attribution",
      "status"},
     {"date", "det"},
     "det"},
    {"feed_outages", {"date", "first_slot", "last_slot", "share"}, {}, "date"},
};

// The columns that version 2 added.
const TableColumns kVersion2Columns[] = {
    {"days", {"archive_size", "archive_fingerprint"}, {}},
    {"detector_days", {"daytime_volume", "daytime_valid"}, {}},
};

// The tables and columns that version 3 added.
const TableColumns kVersion3Columns[] = {
    {"days", {"lane_parameters"}, {}},
    {"inventory",
     {"valid_from", "det", "station", "lane", "lane_type", "corridor", "milepost", "latitude",
      "longitude", "label", "controller", "field_length", "abandoned"},
     {"valid_from", "det"}},
    {"unit_outages", {"date", "kind", "unit", "first_slot", "last_slot"}, {}, "date"},
};

constexpr int kMaxDaytimeSlots = 2040;  // slots 600 to 2639
constexpr int kMaxSlotVolume = 127;

constexpr const char* kOpenStart = "";
constexpr const char* kOpenEnd = "9999-99-99";

std::string fromOf(const DateWindow& w) {
    return w.from.empty() ? kOpenStart : w.from;
}
std::string toOf(const DateWindow& w) {
    return w.to.empty() ? kOpenEnd : w.to;
}

[[noreturn]] void refuse(const std::string& text) {
    throw SorvaneError(kErrLedger, text);
}

// A row read back, for checking its values against what the program writes: a value outside
// them (written by another tool) fails the command, naming the table, the date and the value.
struct Row {
    const sql::Statement& s;
    const char* table;
    int dateColumn = 0;

    [[noreturn]] void refuseValue(const char* column, int at) const {
        refuse("The ledger holds a value that Sorvane does not write, in table " +
               std::string(table) + " on date " + quotedInMessage(s.text(dateColumn)) + ": " +
               column + " " + (s.isNull(at) ? std::string("NULL") : quotedInMessage(s.text(at))));
    }

    std::string date() const {
        std::string text = s.text(dateColumn);
        if (!isLedgerDate(text)) refuseValue("date", dateColumn);
        return text;
    }

    int64_t integer(int at, const char* column, int64_t low, int64_t high) const {
        if (!s.isInteger(at) || s.integer(at) < low || s.integer(at) > high)
            refuseValue(column, at);
        return s.integer(at);
    }

    template <typename T>
    T fitting(int at, const char* column) const {
        return static_cast<T>(
            integer(at, column, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
    }

    // (The type is asked first: a value read as another type may take that type.)
    double real(int at, const char* column, double low, double high) const {
        if (!s.isNumber(at)) refuseValue(column, at);
        double value = s.real(at);
        if (!std::isfinite(value) || value < low || value > high) refuseValue(column, at);
        return value;
    }

    int16_t det(int at) const { return fitting<int16_t>(at, "det"); }

    std::optional<int64_t> optionalInteger(int at, const char* column, int64_t low,
                                           int64_t high) const {
        if (s.isNull(at)) return std::nullopt;
        return integer(at, column, low, high);
    }

    std::optional<std::string> fingerprint(int at) const {
        if (s.isNull(at)) return std::nullopt;
        std::string text = s.text(at);
        bool hex = text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
                       return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
                   });
        if (!hex) refuseValue("archive_fingerprint", at);
        return text;
    }

    // The daytime volume and valid slots at `at` and `at` + 1.
    void daytime(int at, std::optional<int32_t>& volume, std::optional<int32_t>& valid) const {
        if (auto v = optionalInteger(at + 1, "daytime_valid", 0, kMaxDaytimeSlots))
            valid = static_cast<int32_t>(*v);
        if (auto v = optionalInteger(at, "daytime_volume", 0,
                                     int64_t{kMaxSlotVolume} * valid.value_or(0)))
            volume = static_cast<int32_t>(*v);
    }

    // (Each name is read once: a report reads millions of them.)
    HealthClass healthClass(int at) const {
        const std::string text = s.text(at);
        for (auto c : {HealthClass::High, HealthClass::Susp, HealthClass::Marg, HealthClass::Hlth,
                       HealthClass::Excluded}) {
            if (modBaddet::healthClassLabel(c) == text) return c;
        }
        refuseValue("class", at);
    }

    DecisionStep step(int at) const {
        const std::string text = s.text(at);
        for (int i = 0; i < modBaddet::kDecisionStepCount; ++i) {
            auto step = static_cast<DecisionStep>(i);
            if (modBaddet::decisionStepName(step) == text) return step;
        }
        refuseValue("step", at);
    }

    Attribution attribution(int at) const {
        const std::string text = s.text(at);
        for (auto a : {Attribution::None, Attribution::Detector, Attribution::FeedOutage,
                       Attribution::ControllerOutage, Attribution::StationOutage}) {
            if (attributionName(a) == text) return a;
        }
        refuseValue("attribution", at);
    }

    std::optional<DailyStatus> status(int at) const {
        if (s.isNull(at)) return std::nullopt;
        if (auto status = dailyStatusNamed(s.text(at))) return status;
        refuseValue("status", at);
    }
};

void bindMeasures(sql::Statement& s, int first, const std::optional<HealthMeasures>& m) {
    if (!m) {
        for (int i = 0; i < 11; ++i)
            s.bindNull(first + i);
        return;
    }
    s.bind(first, int64_t{m->missingCount})
        .bind(first + 1, int64_t{m->zeroRunCount})
        .bind(first + 2, int64_t{m->lockOnCount})
        .bind(first + 3, m->corrCoef)
        .bind(first + 4, int64_t{m->occSpikeCount})
        .bind(first + 5, int64_t{m->volSpikeCount})
        .bind(first + 6, static_cast<double>(m->devIndex))
        .bind(first + 7, static_cast<double>(m->volOnHighOcc))
        .bind(first + 8, int64_t{m->maxVol5})
        .bind(first + 9, int64_t{m->overcountSlots})
        .bind(first + 10, static_cast<int64_t>(m->validVolSlots));
}

std::optional<HealthMeasures> measuresAt(const Row& row, int first) {
    if (row.s.isNull(first)) return std::nullopt;
    constexpr double kFloat = FLT_MAX;
    constexpr double kAny = DBL_MAX;
    HealthMeasures m;
    m.missingCount = row.fitting<int16_t>(first, "missing");
    m.zeroRunCount = row.fitting<int16_t>(first + 1, "zero_run");
    m.lockOnCount = row.fitting<int16_t>(first + 2, "lock_on");
    m.corrCoef = row.real(first + 3, "corr_coef", -kAny, kAny);
    m.occSpikeCount = row.fitting<int16_t>(first + 4, "occ_spikes");
    m.volSpikeCount = row.fitting<int16_t>(first + 5, "vol_spikes");
    m.devIndex = static_cast<float>(row.real(first + 6, "dev_index", -kFloat, kFloat));
    m.volOnHighOcc = static_cast<float>(row.real(first + 7, "vol_high_occ", -kFloat, kFloat));
    m.maxVol5 = row.fitting<int16_t>(first + 8, "max_vol5");
    m.overcountSlots = row.fitting<int32_t>(first + 9, "overcount_slots");
    m.validVolSlots =
        static_cast<double>(row.integer(first + 10, "valid_vol_slots", 0, kSlotsPerDay));
    return m;
}

// The columns of a record, in the order recordAt reads them; `daytime` names the daytime
// columns or NULLs.
std::string selectRecords(const std::string& daytime) {
    return "SELECT date, det, class, step, reason, list_line, missing, zero_run, lock_on, "
           "corr_coef, occ_spikes, vol_spikes, dev_index, vol_high_occ, max_vol5, "
           "overcount_slots, valid_vol_slots, outage_missing, attribution, status, " +
           daytime + " FROM detector_days ";
}

DetectorDayRecord recordAt(const sql::Statement& s) {
    Row row{s, "detector_days"};
    DetectorDayRecord r;
    r.date = row.date();
    r.det = row.det(1);
    r.healthClass = row.healthClass(2);
    r.step = row.step(3);
    r.reason = s.text(4);
    r.listLine = s.text(5);
    r.measures = measuresAt(row, 6);
    if (!s.isNull(17))
        r.outageMissing = static_cast<int>(row.integer(17, "outage_missing", 0, kSlotsPerDay));
    r.attribution = row.attribution(18);
    r.status = row.status(19);
    row.daytime(20, r.daytimeVolume, r.daytimeValid);
    return r;
}

}  // namespace

LedgerStore::LedgerStore(const std::string& path, Access access,
                         std::chrono::milliseconds busyTimeout)
    : busyTimeout_(busyTimeout) {
    if (isServerLedger(path)) {
        // A server keeps its own files: none of a file's checks apply.
        db_ = std::make_unique<sql::PgConnection>(path, busyTimeout_);
        checkVersion();
        if (access == Access::Add) createTablesIfEmpty();
        checkTables();
        if (access == Access::Add) migrate();
        return;
    }
    if (access == Access::Read) {
        LedgerToRead file = ledgerFileToRead(path);
        open(file.path, file.mode);
        checkVersion();
        checkTables();
        return;
    }
    std::string file = ledgerFileToWrite(path);
    struct stat before {};
    bool existed = ::stat(file.c_str(), &before) == 0;
    try {
        open(file, sql::Database::Mode::ReadWriteCreate);
        checkVersion();
        createTablesIfEmpty();
        checkTables();
        migrate();
        switchToWal();
    } catch (...) {
        // A ledger refused as it was created is not left behind (unless another run has
        // written to it meanwhile).
        db_.reset();
        struct stat after {};
        if (!existed && ::stat(file.c_str(), &after) == 0 && after.st_size == 0)
            ::unlink(file.c_str());
        throw;
    }
}

void LedgerStore::open(const std::string& path, sql::Database::Mode mode) {
    db_.reset();
    auto file = std::make_unique<sql::Database>(path, mode);
    file->setBusyTimeout(static_cast<int>(busyTimeout_.count()));
    file_ = file.get();
    db_ = std::move(file);
}

void LedgerStore::switchToWal() {
    // Readers go on while a day is written, and two runs can add days at once. The switch needs
    // the file to itself for a moment, and SQLite does not wait for that: so wait here, the
    // busy timeout in all, each try waiting no longer than what is left of it.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + busyTimeout_;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        file_->setBusyTimeout(static_cast<int>(std::max<int64_t>(left.count(), 0)));
        if (file_->tryExec("PRAGMA journal_mode=WAL")) break;
        if (Clock::now() >= deadline) {
            refuse("The ledger " + db_->name() + " is held by another program (waited " +
                   std::to_string((busyTimeout_.count() + 999) / 1000) +
                   " s for it): try again when that program has closed it");
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(kWalRetry, deadline - Clock::now()));
    }
    file_->setBusyTimeout(static_cast<int>(busyTimeout_.count()));
}

LedgerStore::~LedgerStore() = default;

void LedgerStore::createTablesIfEmpty() {
    // Reading the schema first refuses a file that is no database before anything is written,
    // and a database of other tables is left alone.
    if (!db_->holdsNoTables()) return;
    sql::Transaction t(*db_);
    if (db_->isServer()) {
        // Two first adds at once: the second finds the tables the first made.
        db_->lockKey(kLockTables, "tables");
        if (db_->holdsNoTables()) {
            db_->createPlaceForTables();
            db_->exec(kCreateServerTables);
        }
        t.commit();
        checkVersion();
        return;
    }
    db_->exec(kCreateTables);
    t.commit();
}

int LedgerStore::readVersion() {
    return db_->schemaVersion();
}

void LedgerStore::checkVersion() {
    // Before anything else: a newer ledger is refused whatever its tables, and never written.
    version_ = readVersion();
    if (version_ > kSchemaVersion) {
        refuse("The ledger " + db_->name() + " was written by a newer Sorvane (schema version " +
               std::to_string(version_) + "); this Sorvane knows schema version " +
               std::to_string(kSchemaVersion) + " and leaves it as it is");
    }
}

void LedgerStore::migrate() {
    if (version_ >= kSchemaVersion) return;
    if (db_->isServer()) {
        // Servers hold version 3 and later: an older one was not written by Sorvane.
        refuse("The database " + db_->name() + " holds schema version " + std::to_string(version_) +
               ", which Sorvane never wrote on a server");
    }
    sql::Transaction t(*db_);
    // Another run may have migrated it while this one waited for the lock.
    int found = readVersion();
    if (found < 2) db_->exec(kMigrateToVersion2);
    if (found < 3) db_->exec(kMigrateToVersion3);
    t.commit();
    version_ = kSchemaVersion;
    checkTables();
}

std::string LedgerStore::orNull(const char* version2Column) const {
    return version_ >= 2 ? version2Column : "NULL";
}

std::string LedgerStore::orNull3(const char* version3Column) const {
    return version_ >= 3 ? version3Column : "NULL";
}

void LedgerStore::checkTables() {
    auto noLedger = [&](const std::string& missing) {
        refuse((db_->isServer() ? "The database " : "The file ") + db_->name() +
               " holds no Sorvane health ledger (" + missing + ")");
    };
    std::vector<TableColumns> tables(std::begin(kLedgerTables), std::end(kLedgerTables));
    if (version_ >= 2)
        tables.insert(tables.end(), std::begin(kVersion2Columns), std::end(kVersion2Columns));
    if (version_ >= 3)
        tables.insert(tables.end(), std::begin(kVersion3Columns), std::end(kVersion3Columns));
    for (const TableColumns& expected : tables) {
        std::vector<std::string> have = db_->columnsOf(expected.table);
        std::vector<std::string> key = db_->primaryKeyOf(expected.table);
        for (const std::string& column : expected.columns) {
            if (std::find(have.begin(), have.end(), column) == have.end()) {
                noLedger(have.empty() ? "no table " + std::string(expected.table)
                                      : "no column " + column + " in table " + expected.table);
            }
        }
        // One row per date, and per date and detector: what replacing a day relies on.
        if (!expected.key.empty() && key != expected.key) {
            std::string wanted;
            for (const std::string& column : expected.key)
                wanted += (wanted.empty() ? "" : ", ") + column;
            noLedger("no primary key (" + wanted + ") in table " + expected.table);
        }
        if (expected.indexed) {
            if (!db_->indexLeadsWith(expected.table, expected.indexed)) {
                noLedger("no index on " + std::string(expected.indexed) + " in table " +
                         expected.table);
            }
        }
    }
}

void LedgerStore::writeDay(const DayRecord& day) {
    std::lock_guard lock(writing_);
    sql::Transaction t(*db_);
    db_->lockKey(kLockDay, day.date);
    if (!replaceHeldDays_) {
        // Checked again here: another run may have added the date since it was asked.
        sql::Statement held(*db_, "SELECT archive, tested_at FROM days WHERE date = ?1");
        held.bind(1, std::string_view(day.date));
        if (held.step()) {
            refuse("The ledger holds " + day.date + " already (" + held.text(0) + ", tested " +
                   held.text(1) + "), added by another run meanwhile; it was not replaced");
        }
    }
    for (const char* remove :
         {"DELETE FROM detector_days WHERE date = ?1", "DELETE FROM feed_outages WHERE date = ?1",
          "DELETE FROM unit_outages WHERE date = ?1", "DELETE FROM days WHERE date = ?1"}) {
        sql::Statement s(*db_, remove);
        s.bind(1, std::string_view(day.date));
        s.step();
    }
    sql::Statement dayRow(*db_,
                          "INSERT INTO days (date, archive, detectors, parameters, "
                          "tested_at, archive_size, archive_fingerprint, lane_parameters) "
                          "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    dayRow.bind(1, std::string_view(day.date))
        .bind(2, std::string_view(day.archive))
        .bind(3, int64_t{day.detectors})
        .bind(4, std::string_view(day.parameters))
        .bind(5, std::string_view(day.testedAt))
        .bind(6, day.archiveSize);
    if (day.archiveFingerprint) {
        dayRow.bind(7, std::string_view(*day.archiveFingerprint));
    } else {
        dayRow.bindNull(7);
    }
    dayRow.bind(8, std::string_view(day.laneParameters));
    dayRow.step();

    sql::Statement row = sql::Statement::bulkInsert(
        *db_, "detector_days",
        "date, det, class, step, reason, list_line, missing, zero_run, lock_on, corr_coef, "
        "occ_spikes, vol_spikes, dev_index, vol_high_occ, max_vol5, overcount_slots, "
        "valid_vol_slots, outage_missing, attribution, status, daytime_volume, daytime_valid",
        22);
    for (const DetectorDayRecord& r : day.rows) {
        row.bind(1, std::string_view(day.date))
            .bind(2, int64_t{r.det})
            .bind(3, modBaddet::healthClassLabel(r.healthClass))
            .bind(4, modBaddet::decisionStepName(r.step))
            .bind(5, std::string_view(r.reason))
            .bind(6, std::string_view(r.listLine));
        bindMeasures(row, 7, r.measures);
        row.bind(18, r.outageMissing ? std::optional<int64_t>(*r.outageMissing) : std::nullopt)
            .bind(19, attributionName(r.attribution));
        if (r.status) {
            row.bind(20, dailyStatusName(*r.status));
        } else {
            row.bindNull(20);
        }
        row.bind(21, r.daytimeVolume ? std::optional<int64_t>(*r.daytimeVolume) : std::nullopt)
            .bind(22, r.daytimeValid ? std::optional<int64_t>(*r.daytimeValid) : std::nullopt);
        row.step();
        row.reset();
    }
    row.finish();

    sql::Statement outage =
        sql::Statement::bulkInsert(*db_, "feed_outages", "date, first_slot, last_slot, share", 4);
    for (const FeedOutage& o : day.outages) {
        outage.bind(1, std::string_view(day.date))
            .bind(2, int64_t{o.firstSlot})
            .bind(3, int64_t{o.lastSlot})
            .bind(4, o.share);
        outage.step();
        outage.reset();
    }
    outage.finish();
    sql::Statement unit = sql::Statement::bulkInsert(*db_, "unit_outages",
                                                     "date, kind, unit, first_slot, last_slot", 5);
    for (const UnitOutage& o : day.unitOutages) {
        unit.bind(1, std::string_view(day.date))
            .bind(2, unitKindName(o.kind))
            .bind(3, std::string_view(o.unit))
            .bind(4, int64_t{o.firstSlot})
            .bind(5, int64_t{o.lastSlot});
        unit.step();
        unit.reset();
    }
    unit.finish();
    t.commit();
}

// Runs a query whose ?1 and ?2 are the window's ends and hands each row to `row`.
template <typename Row>
void eachInWindow(sql::Connection& db, const char* query, const DateWindow& window, Row row) {
    sql::Statement s(db, query);
    s.bind(1, fromOf(window)).bind(2, toOf(window));
    while (s.step())
        row(s);
}

std::vector<std::string> LedgerStore::dates(const DateWindow& window) {
    std::vector<std::string> dates;
    eachInWindow(*db_, "SELECT date FROM days WHERE date >= ?1 AND date <= ?2 ORDER BY date",
                 window, [&](const sql::Statement& s) {
                     dates.push_back(Row{s, "days"}.date());
                 });
    return dates;
}

std::vector<LedgerCell> LedgerStore::cells(const DateWindow& window) {
    std::vector<LedgerCell> cells;
    eachCell(window, [&](const LedgerCell& cell) { cells.push_back(cell); });
    return cells;
}

void LedgerStore::eachCell(const DateWindow& window,
                           const std::function<void(const LedgerCell&)>& cell) {
    std::string query = "SELECT date, det, class, step, attribution, status, " +
                        orNull("daytime_volume") + ", " + orNull("daytime_valid") +
                        " FROM detector_days WHERE date >= ?1 AND date <= ?2 ORDER BY date, det";
    eachInWindow(*db_, query.c_str(), window, [&](const sql::Statement& s) { cell(cellAt(s)); });
}

std::vector<DatedOutage> LedgerStore::outages(const DateWindow& window) {
    std::vector<DatedOutage> outages;
    eachInWindow(
        *db_,
        "SELECT date, first_slot, last_slot, share FROM feed_outages "
        "WHERE date >= ?1 AND date <= ?2 ORDER BY date, first_slot",
        window, [&](const sql::Statement& s) {
            Row row{s, "feed_outages"};
            auto first = static_cast<int>(row.integer(1, "first_slot", 0, kSlotsPerDay - 1));
            auto last = static_cast<int>(row.integer(2, "last_slot", first, kSlotsPerDay - 1));
            outages.push_back({row.date(), {first, last, row.real(3, "share", 0.0, 1.0)}});
        });
    return outages;
}

std::vector<DetectorDayRecord> LedgerStore::detectorDays(int16_t det) {
    sql::Statement s(*db_,
                     (selectRecords(daytimeColumns()) + "WHERE det = ?1 ORDER BY date").c_str());
    s.bind(1, int64_t{det});
    std::vector<DetectorDayRecord> records;
    while (s.step())
        records.push_back(recordAt(s));
    return records;
}

std::optional<DetectorDayRecord> LedgerStore::detectorDay(const std::string& date, int16_t det) {
    sql::Statement s(*db_,
                     (selectRecords(daytimeColumns()) + "WHERE date = ?1 AND det = ?2").c_str());
    s.bind(1, std::string_view(date)).bind(2, int64_t{det});
    if (!s.step()) return std::nullopt;
    return recordAt(s);
}

std::optional<DayRecord> LedgerStore::dayRecord(const std::string& date) {
    std::optional<DayRecord> record;
    readConsistently([&] {
        std::vector<LedgerDay> held = days({date, date});
        if (held.empty()) return;
        LedgerDay& d = held.front();
        DayRecord r{d.date, d.archive, d.detectors, d.parameters, d.testedAt, {}, {}};
        r.archiveSize = d.archiveSize;
        r.archiveFingerprint = d.archiveFingerprint;
        r.laneParameters = d.laneParameters.value_or("");
        sql::Statement s(
            *db_, (selectRecords(daytimeColumns()) + "WHERE date = ?1 ORDER BY det").c_str());
        s.bind(1, std::string_view(date));
        while (s.step())
            r.rows.push_back(recordAt(s));
        for (const DatedOutage& o : outages({date, date}))
            r.outages.push_back(o.outage);
        for (const DatedUnitOutage& o : unitOutages({date, date}))
            r.unitOutages.push_back(o.outage);
        record = std::move(r);
    });
    return record;
}

std::optional<std::string> LedgerStore::archiveOf(const std::string& date) {
    std::vector<LedgerDay> day = days({date, date});
    if (day.empty()) return std::nullopt;
    if (checkArchive(day.front()) == ArchiveState::Changed) {
        throw SorvaneError(kErrArchiveInconsistent,
                           "The archive " + day.front().archive + " is not the archive tested on " +
                               date + ": its size or fingerprint differs from the ledger's record");
    }
    return day.front().archive;
}

void LedgerStore::readConsistently(const std::function<void()>& read) {
    sql::ReadSnapshot snapshot(*db_);
    read();
}

std::vector<LedgerDay> LedgerStore::days(const DateWindow& window) {
    std::vector<LedgerDay> days;
    std::string query = "SELECT date, archive, detectors, parameters, tested_at, " +
                        orNull("archive_size") + ", " + orNull("archive_fingerprint") + ", " +
                        orNull3("lane_parameters") +
                        " FROM days WHERE date >= ?1 AND date <= ?2 ORDER BY date";
    eachInWindow(*db_, query.c_str(), window, [&](const sql::Statement& s) {
        Row row{s, "days"};
        LedgerDay day{row.date(), s.text(1), row.fitting<int32_t>(2, "detectors"), s.text(3),
                      s.text(4)};
        day.archiveSize =
            row.optionalInteger(5, "archive_size", 0, std::numeric_limits<int64_t>::max());
        day.archiveFingerprint = row.fingerprint(6);
        if (!s.isNull(7)) day.laneParameters = s.text(7);
        days.push_back(std::move(day));
    });
    return days;
}

std::map<std::string, DayTally> LedgerStore::dayTallies(const DateWindow& window) {
    std::map<std::string, DayTally> tallies;
    for (const std::string& date : dates(window))
        tallies[date];
    eachInWindow(
        *db_,
        "SELECT date, class, CASE WHEN step = 'unreadable' THEN 1 ELSE 0 END, attribution, "
        "count(*) FROM detector_days "
        "WHERE date >= ?1 AND date <= ?2 GROUP BY 1, 2, 3, 4",
        window, [&](const sql::Statement& s) {
            Row row{s, "detector_days"};
            DayTally& t = tallies[row.date()];
            int n = static_cast<int>(s.integer(4));
            t.perClass[static_cast<size_t>(row.healthClass(1))] += n;
            t.unreadable += s.integer(2) != 0 ? n : 0;
            Attribution a = row.attribution(3);
            t.owedToOutages += a == Attribution::FeedOutage ? n : 0;
            t.owedToUnitOutages += isOwedToOutage(a) && a != Attribution::FeedOutage ? n : 0;
            t.owedToDetectors += a == Attribution::Detector ? n : 0;
            t.detectors += n;
        });
    return tallies;
}

std::map<std::string, DayTally> LedgerStore::dayTallies(const DateWindow& window,
                                                        const NetworkFilter& filter) {
    if (!filter.any()) return dayTallies(window);
    InventoryVersions versions = inventoryVersions();
    std::map<std::string, DayTally> tallies;
    for (const std::string& date : dates(window))
        tallies[date];
    std::string query =
        "SELECT date, det, class, step, attribution, status, NULL, NULL"
        " FROM detector_days WHERE date >= ?1 AND date <= ?2 ORDER BY date, det";
    const Inventory* inventory = nullptr;
    std::string inventoryDate;
    eachInWindow(*db_, query.c_str(), window, [&](const sql::Statement& s) {
        LedgerCell cell = cellAt(s);
        if (cell.date != inventoryDate) {
            inventoryDate = cell.date;
            inventory = versions.inForce(cell.date);
        }
        if (!filter.matches(inventory, cell.det)) return;
        DayTally& t = tallies[cell.date];
        ++t.perClass[static_cast<size_t>(cell.healthClass)];
        t.unreadable += cell.step == DecisionStep::Unreadable ? 1 : 0;
        t.owedToOutages += cell.attribution == Attribution::FeedOutage ? 1 : 0;
        t.owedToUnitOutages +=
            isOwedToOutage(cell.attribution) && cell.attribution != Attribution::FeedOutage ? 1 : 0;
        t.owedToDetectors += cell.attribution == Attribution::Detector ? 1 : 0;
        ++t.detectors;
    });
    return tallies;
}

std::vector<DatedUnitOutage> LedgerStore::unitOutages(const DateWindow& window) {
    std::vector<DatedUnitOutage> outages;
    if (version_ < 3) return outages;
    eachInWindow(
        *db_,
        "SELECT date, kind, unit, first_slot, last_slot FROM unit_outages "
        "WHERE date >= ?1 AND date <= ?2 ORDER BY date, kind, unit, first_slot",
        window, [&](const sql::Statement& s) {
            Row row{s, "unit_outages"};
            UnitOutage o;
            std::string kind = s.text(1);
            if (kind == "controller") {
                o.kind = UnitOutage::Kind::Controller;
            } else if (kind != "station") {
                row.refuseValue("kind", 1);
            }
            o.unit = s.text(2);
            o.firstSlot = static_cast<int>(row.integer(3, "first_slot", 0, kSlotsPerDay - 1));
            o.lastSlot =
                static_cast<int>(row.integer(4, "last_slot", o.firstSlot, kSlotsPerDay - 1));
            outages.push_back({row.date(), std::move(o)});
        });
    return outages;
}

void LedgerStore::eachEarlierCell(int16_t det, const std::string& date,
                                  const std::function<bool(const LedgerCell&)>& cell) {
    std::string query = "SELECT date, det, class, step, attribution, status, " +
                        orNull("daytime_volume") + ", " + orNull("daytime_valid") +
                        " FROM detector_days WHERE det = ?1 AND date < ?2 ORDER BY date DESC";
    sql::Statement s(*db_, query.c_str());
    s.bind(1, int64_t{det}).bind(2, std::string_view(date));
    while (s.step()) {
        if (!cell(cellAt(s))) return;
    }
}

std::vector<std::string> LedgerStore::removeDays(const std::vector<std::string>& dates) {
    std::lock_guard lock(writing_);
    sql::Transaction t(*db_);
    std::vector<std::string> notHeld;
    for (const std::string& date : dates)
        db_->lockKey(kLockDay, date);
    for (const std::string& date : dates) {
        sql::Statement held(*db_, "SELECT 1 FROM days WHERE date = ?1");
        held.bind(1, std::string_view(date));
        if (!held.step()) notHeld.push_back(date);
    }
    if (!notHeld.empty()) return notHeld;  // rolled back: nothing was written
    for (const std::string& date : dates) {
        for (const char* remove :
             {"DELETE FROM detector_days WHERE date = ?1",
              "DELETE FROM feed_outages WHERE date = ?1",
              "DELETE FROM unit_outages WHERE date = ?1", "DELETE FROM days WHERE date = ?1"}) {
            sql::Statement s(*db_, remove);
            s.bind(1, std::string_view(date));
            s.step();
        }
    }
    t.commit();
    return {};
}

std::string LedgerStore::daytimeColumns() const {
    return orNull("daytime_volume") + ", " + orNull("daytime_valid");
}

LedgerCell LedgerStore::cellAt(const sql::Statement& s) const {
    Row row{s, "detector_days"};
    LedgerCell cell{row.date(),  row.det(1),         row.healthClass(2),
                    row.step(3), row.attribution(4), row.status(5)};
    row.daytime(6, cell.daytimeVolume, cell.daytimeValid);
    return cell;
}

InventoryVersions LedgerStore::inventoryVersions() {
    std::vector<InventoryVersion> versions;
    if (version_ < 3) return InventoryVersions(std::move(versions));
    sql::Statement s(*db_,
                     "SELECT valid_from, det, station, lane, lane_type, corridor, milepost, "
                     "latitude, longitude, label, controller, field_length, abandoned "
                     "FROM inventory ORDER BY valid_from, det");
    auto optionalReal = [&](const Row& row, int at, const char* column) -> std::optional<double> {
        if (s.isNull(at)) return std::nullopt;
        return row.real(at, column, -DBL_MAX, DBL_MAX);
    };
    while (s.step()) {
        Row row{s, "inventory"};
        std::string validFrom = row.date();
        if (versions.empty() || versions.back().validFrom != validFrom)
            versions.push_back({validFrom, {}});
        InventoryRow r;
        r.det = row.det(1);
        r.station = s.text(2);
        if (auto lane = row.optionalInteger(3, "lane", std::numeric_limits<int32_t>::min(),
                                            std::numeric_limits<int32_t>::max()))
            r.lane = static_cast<int32_t>(*lane);
        std::optional<LaneType> type = findLaneType(s.text(4));
        if (!type || laneTypeName(*type) != s.text(4)) row.refuseValue("lane_type", 4);
        r.laneType = *type;
        r.corridor = s.text(5);
        r.milepost = optionalReal(row, 6, "milepost");
        r.latitude = optionalReal(row, 7, "latitude");
        r.longitude = optionalReal(row, 8, "longitude");
        r.label = s.text(9);
        r.controller = s.text(10);
        r.fieldLength = optionalReal(row, 11, "field_length");
        r.abandoned = row.integer(12, "abandoned", 0, 1) == 1;
        versions.back().inventory.rows.push_back(std::move(r));
    }
    return InventoryVersions(std::move(versions));
}

bool LedgerStore::writeInventory(const std::string& validFrom, const Inventory& inventory) {
    std::lock_guard lock(writing_);
    sql::Transaction t(*db_);
    db_->lockKey(kLockInventory, validFrom);
    bool replaced = false;
    {
        sql::Statement held(*db_, "SELECT 1 FROM inventory WHERE valid_from = ?1 LIMIT 1");
        held.bind(1, std::string_view(validFrom));
        replaced = held.step();
    }
    sql::Statement remove(*db_, "DELETE FROM inventory WHERE valid_from = ?1");
    remove.bind(1, std::string_view(validFrom));
    remove.step();
    sql::Statement row = sql::Statement::bulkInsert(
        *db_, "inventory",
        "valid_from, det, station, lane, lane_type, corridor, milepost, latitude, longitude, "
        "label, controller, field_length, abandoned",
        13);
    for (const InventoryRow& r : inventory.rows) {
        row.bind(1, std::string_view(validFrom))
            .bind(2, int64_t{r.det})
            .bind(3, std::string_view(r.station))
            .bind(4, r.lane ? std::optional<int64_t>(*r.lane) : std::nullopt)
            .bind(5, laneTypeName(r.laneType))
            .bind(6, std::string_view(r.corridor))
            .bind(7, r.milepost)
            .bind(8, r.latitude)
            .bind(9, r.longitude)
            .bind(10, std::string_view(r.label))
            .bind(11, std::string_view(r.controller))
            .bind(12, r.fieldLength)
            .bind(13, int64_t{r.abandoned ? 1 : 0});
        row.step();
        row.reset();
    }
    row.finish();
    t.commit();
    return replaced;
}

void LedgerStore::setReplaceHeldDays(bool replace) {
    std::lock_guard lock(writing_);
    replaceHeldDays_ = replace;
}

}  // namespace sorvane::history
