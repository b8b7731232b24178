#include "history/ledger_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/error.h"
#include "history/sqlite_db.h"

namespace sorvane::history {

namespace {

using modBaddet::DecisionStep;
using modBaddet::HealthClass;
using modBaddet::HealthMeasures;

// Raised with a migration whenever the tables change; a newer ledger is not touched.
constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 120000;  // another run's day takes well under a second
constexpr int kWalRetryMs = 10;

constexpr const char* kCreateTables = R"(
CREATE TABLE IF NOT EXISTS days(date TEXT PRIMARY KEY, archive TEXT, detectors INTEGER,
    parameters TEXT, tested_at TEXT);
CREATE TABLE IF NOT EXISTS detector_days(date TEXT, det INTEGER, class TEXT, step TEXT,
    reason TEXT, list_line TEXT, missing INTEGER, zero_run INTEGER, lock_on INTEGER,
    corr_coef REAL, occ_spikes INTEGER, vol_spikes INTEGER, dev_index REAL, vol_high_occ REAL,
    max_vol5 INTEGER, overcount_slots INTEGER, valid_vol_slots INTEGER, outage_missing INTEGER,
    attribution TEXT, status TEXT, PRIMARY KEY (date, det)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS feed_outages(date TEXT, first_slot INTEGER, last_slot INTEGER,
    share REAL);
CREATE INDEX IF NOT EXISTS detector_days_by_det ON detector_days(det);
CREATE INDEX IF NOT EXISTS feed_outages_by_date ON feed_outages(date);
PRAGMA user_version = 1;
)";

struct TableColumns {
    const char* table;
    std::vector<std::string> columns;
};

const TableColumns kLedgerTables[] = {
    {"days", {"date", "archive", "detectors", "parameters", "tested_at"}},
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
      "status"}},
    {"feed_outages", {"date", "first_slot", "last_slot", "share"}},
};

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

HealthClass classNamed(const std::string& name) {
    for (auto c : {HealthClass::High, HealthClass::Susp, HealthClass::Marg, HealthClass::Hlth,
                   HealthClass::Excluded}) {
        if (modBaddet::healthClassLabel(c) == name) return c;
    }
    refuse("The ledger holds an unknown class \"" + name + "\"");
}

DecisionStep stepNamed(const std::string& name) {
    for (int i = 0; i < modBaddet::kDecisionStepCount; ++i) {
        auto step = static_cast<DecisionStep>(i);
        if (modBaddet::decisionStepName(step) == name) return step;
    }
    refuse("The ledger holds an unknown step \"" + name + "\"");
}

Attribution attributionNamed(const std::string& name) {
    for (auto a : {Attribution::None, Attribution::Detector, Attribution::FeedOutage}) {
        if (attributionName(a) == name) return a;
    }
    refuse("The ledger holds an unknown attribution \"" + name + "\"");
}

std::optional<DailyStatus> statusAt(const sql::Statement& s, int column) {
    if (s.isNull(column)) return std::nullopt;
    std::string name = s.text(column);
    if (auto status = dailyStatusNamed(name)) return status;
    refuse("The ledger holds an unknown status \"" + name + "\"");
}

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

std::optional<HealthMeasures> measuresAt(const sql::Statement& s, int first) {
    if (s.isNull(first)) return std::nullopt;
    HealthMeasures m;
    m.missingCount = static_cast<int16_t>(s.integer(first));
    m.zeroRunCount = static_cast<int16_t>(s.integer(first + 1));
    m.lockOnCount = static_cast<int16_t>(s.integer(first + 2));
    m.corrCoef = s.real(first + 3);
    m.occSpikeCount = static_cast<int16_t>(s.integer(first + 4));
    m.volSpikeCount = static_cast<int16_t>(s.integer(first + 5));
    m.devIndex = static_cast<float>(s.real(first + 6));
    m.volOnHighOcc = static_cast<float>(s.real(first + 7));
    m.maxVol5 = static_cast<int16_t>(s.integer(first + 8));
    m.overcountSlots = static_cast<int32_t>(s.integer(first + 9));
    m.validVolSlots = static_cast<double>(s.integer(first + 10));
    return m;
}

// The columns of a record, in the order recordAt reads them.
constexpr std::string_view kSelectRecords =
    "SELECT date, det, class, step, reason, list_line, missing, zero_run, lock_on, corr_coef, "
    "occ_spikes, vol_spikes, dev_index, vol_high_occ, max_vol5, overcount_slots, "
    "valid_vol_slots, outage_missing, attribution, status FROM detector_days ";

DetectorDayRecord recordAt(const sql::Statement& s) {
    DetectorDayRecord r;
    r.date = s.text(0);
    r.det = static_cast<int16_t>(s.integer(1));
    r.healthClass = classNamed(s.text(2));
    r.step = stepNamed(s.text(3));
    r.reason = s.text(4);
    r.listLine = s.text(5);
    r.measures = measuresAt(s, 6);
    if (!s.isNull(17)) r.outageMissing = static_cast<int>(s.integer(17));
    r.attribution = attributionNamed(s.text(18));
    r.status = statusAt(s, 19);
    return r;
}

}  // namespace

LedgerStore::LedgerStore(const std::string& path, Access access) {
    if (access == Access::Add) {
        open(path, sql::Database::Mode::ReadWriteCreate);
        createTablesIfEmpty();
        checkTables();
        switchToWal();
        return;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) refuse("The ledger " + path + " does not exist");
    // A ledger the user may only read, in a folder that takes no SQLite -shm file, is read
    // read-only, or else as a file that does not change. A file that is no ledger fails the
    // same way each time, and the first failure is the one reported.
    std::optional<SorvaneError> first;
    for (auto mode : {sql::Database::Mode::ReadWrite, sql::Database::Mode::ReadOnly,
                      sql::Database::Mode::Immutable}) {
        try {
            open(path, mode);
            checkTables();
            return;
        } catch (const SorvaneError& e) {
            if (!first) first = e;
        }
    }
    throw *first;
}

void LedgerStore::open(const std::string& path, sql::Database::Mode mode) {
    db_.reset();
    db_ = std::make_unique<sql::Database>(path, mode);
    db_->setBusyTimeout(kBusyTimeoutMs);
}

void LedgerStore::switchToWal() {
    // Readers go on while a day is written, and two runs can add days at once. The switch needs
    // the file to itself for a moment, and SQLite does not wait for that: so wait here.
    for (int waited = 0; !db_->tryExec("PRAGMA journal_mode=WAL"); waited += kWalRetryMs) {
        if (waited >= kBusyTimeoutMs) db_->fail();
        std::this_thread::sleep_for(std::chrono::milliseconds(kWalRetryMs));
    }
}

LedgerStore::~LedgerStore() = default;

void LedgerStore::createTablesIfEmpty() {
    // Reading the schema first refuses a file that is no database before anything is written,
    // and a database of other tables is left alone.
    bool empty = false;
    {
        sql::Statement count(*db_, "SELECT count(*) FROM sqlite_master");
        count.step();
        empty = count.integer(0) == 0;
    }
    if (empty) {
        sql::Transaction t(*db_);
        db_->exec(kCreateTables);
        t.commit();
    }
}

void LedgerStore::checkTables() {
    for (const TableColumns& expected : kLedgerTables) {
        sql::Statement info(*db_, "SELECT name FROM pragma_table_info(?1)");
        info.bind(1, std::string_view(expected.table));
        std::vector<std::string> have;
        while (info.step())
            have.push_back(info.text(0));
        for (const std::string& column : expected.columns) {
            if (std::find(have.begin(), have.end(), column) == have.end()) {
                refuse("The file " + db_->path() + " holds no Sorvane health ledger (" +
                       (have.empty() ? "no table " + std::string(expected.table)
                                     : "no column " + column + " in table " + expected.table) +
                       ")");
            }
        }
    }
    sql::Statement version(*db_, "PRAGMA user_version");
    if (version.step() && version.integer(0) > kSchemaVersion) {
        refuse("The ledger " + db_->path() + " was written by a newer Sorvane (schema version " +
               std::to_string(version.integer(0)) + ")");
    }
}

void LedgerStore::writeDay(const DayRecord& day) {
    std::lock_guard lock(writing_);
    sql::Transaction t(*db_);
    for (const char* remove : {"DELETE FROM detector_days WHERE date = ?1",
                               "DELETE FROM feed_outages WHERE date = ?1"}) {
        sql::Statement s(*db_, remove);
        s.bind(1, std::string_view(day.date));
        s.step();
    }
    sql::Statement dayRow(*db_, "INSERT OR REPLACE INTO days VALUES (?1, ?2, ?3, ?4, ?5)");
    dayRow.bind(1, std::string_view(day.date))
        .bind(2, std::string_view(day.archive))
        .bind(3, int64_t{day.detectors})
        .bind(4, std::string_view(day.parameters))
        .bind(5, std::string_view(day.testedAt));
    dayRow.step();

    sql::Statement row(*db_,
                       "INSERT INTO detector_days VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, "
                       "?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20)");
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
        row.step();
        row.reset();
    }

    sql::Statement outage(*db_, "INSERT INTO feed_outages VALUES (?1, ?2, ?3, ?4)");
    for (const FeedOutage& o : day.outages) {
        outage.bind(1, std::string_view(day.date))
            .bind(2, int64_t{o.firstSlot})
            .bind(3, int64_t{o.lastSlot})
            .bind(4, o.share);
        outage.step();
        outage.reset();
    }
    t.commit();
}

// Runs a query whose ?1 and ?2 are the window's ends and hands each row to `row`.
template <typename Row>
void eachInWindow(sql::Database& db, const char* query, const DateWindow& window, Row row) {
    sql::Statement s(db, query);
    s.bind(1, fromOf(window)).bind(2, toOf(window));
    while (s.step())
        row(s);
}

std::vector<std::string> LedgerStore::dates(const DateWindow& window) {
    std::vector<std::string> dates;
    eachInWindow(*db_, "SELECT date FROM days WHERE date >= ?1 AND date <= ?2 ORDER BY date",
                 window, [&](const sql::Statement& s) { dates.push_back(s.text(0)); });
    return dates;
}

std::vector<LedgerCell> LedgerStore::cells(const DateWindow& window) {
    std::vector<LedgerCell> cells;
    eachCell(window, [&](const LedgerCell& cell) { cells.push_back(cell); });
    return cells;
}

void LedgerStore::eachCell(const DateWindow& window,
                           const std::function<void(const LedgerCell&)>& cell) {
    eachInWindow(*db_,
                 "SELECT date, det, class, step, attribution, status FROM detector_days "
                 "WHERE date >= ?1 AND date <= ?2 ORDER BY date, det",
                 window, [&](const sql::Statement& s) {
                     cell({s.text(0), static_cast<int16_t>(s.integer(1)), classNamed(s.text(2)),
                           stepNamed(s.text(3)), attributionNamed(s.text(4)), statusAt(s, 5),
                           std::nullopt, std::nullopt});
                 });
}

std::vector<DatedOutage> LedgerStore::outages(const DateWindow& window) {
    std::vector<DatedOutage> outages;
    eachInWindow(*db_,
                 "SELECT date, first_slot, last_slot, share FROM feed_outages "
                 "WHERE date >= ?1 AND date <= ?2 ORDER BY date, first_slot",
                 window, [&](const sql::Statement& s) {
                     outages.push_back({s.text(0),
                                        {static_cast<int>(s.integer(1)),
                                         static_cast<int>(s.integer(2)), s.real(3)}});
                 });
    return outages;
}

std::vector<DetectorDayRecord> LedgerStore::detectorDays(int16_t det) {
    sql::Statement s(*db_, (std::string(kSelectRecords) + "WHERE det = ?1 ORDER BY date").c_str());
    s.bind(1, int64_t{det});
    std::vector<DetectorDayRecord> records;
    while (s.step())
        records.push_back(recordAt(s));
    return records;
}

std::optional<DetectorDayRecord> LedgerStore::detectorDay(const std::string& date, int16_t det) {
    sql::Statement s(*db_, (std::string(kSelectRecords) + "WHERE date = ?1 AND det = ?2").c_str());
    s.bind(1, std::string_view(date)).bind(2, int64_t{det});
    if (!s.step()) return std::nullopt;
    return recordAt(s);
}

std::optional<std::string> LedgerStore::archiveOf(const std::string& date) {
    sql::Statement s(*db_, "SELECT archive FROM days WHERE date = ?1");
    s.bind(1, std::string_view(date));
    if (!s.step()) return std::nullopt;
    return s.text(0);
}

void LedgerStore::readConsistently(const std::function<void()>& read) {
    sql::ReadSnapshot snapshot(*db_);
    read();
}

std::vector<LedgerDay> LedgerStore::days(const DateWindow& window) {
    std::vector<LedgerDay> days;
    eachInWindow(*db_,
                 "SELECT date, archive, detectors, parameters, tested_at FROM days "
                 "WHERE date >= ?1 AND date <= ?2 ORDER BY date",
                 window, [&](const sql::Statement& s) {
                     days.push_back({s.text(0), s.text(1), static_cast<int>(s.integer(2)),
                                     s.text(3), s.text(4)});
                 });
    return days;
}

std::map<std::string, DayTally> LedgerStore::dayTallies(const DateWindow& window) {
    std::map<std::string, DayTally> tallies;
    for (const std::string& date : dates(window))
        tallies[date];
    eachInWindow(
        *db_,
        "SELECT date, class, step = 'unreadable', attribution, count(*) FROM detector_days "
        "WHERE date >= ?1 AND date <= ?2 GROUP BY 1, 2, 3, 4",
        window, [&](const sql::Statement& s) {
            DayTally& t = tallies[s.text(0)];
            int n = static_cast<int>(s.integer(4));
            t.perClass[static_cast<size_t>(classNamed(s.text(1)))] += n;
            t.unreadable += s.integer(2) != 0 ? n : 0;
            Attribution a = attributionNamed(s.text(3));
            t.owedToOutages += a == Attribution::FeedOutage ? n : 0;
            t.owedToDetectors += a == Attribution::Detector ? n : 0;
        });
    return tallies;
}

void LedgerStore::eachEarlierCell(int16_t det, const std::string& date,
                                  const std::function<bool(const LedgerCell&)>& cell) {
    sql::Statement s(*db_,
                     "SELECT date, det, class, step, attribution, status FROM detector_days "
                     "WHERE det = ?1 AND date < ?2 ORDER BY date DESC");
    s.bind(1, int64_t{det}).bind(2, std::string_view(date));
    while (s.step()) {
        if (!cell({s.text(0), static_cast<int16_t>(s.integer(1)), classNamed(s.text(2)),
                   stepNamed(s.text(3)), attributionNamed(s.text(4)), statusAt(s, 5), std::nullopt,
                   std::nullopt})) {
            return;
        }
    }
}

std::vector<std::string> LedgerStore::removeDays(const std::vector<std::string>& dates) {
    std::lock_guard lock(writing_);
    sql::Transaction t(*db_);
    std::vector<std::string> notHeld;
    for (const std::string& date : dates) {
        sql::Statement held(*db_, "SELECT 1 FROM days WHERE date = ?1");
        held.bind(1, std::string_view(date));
        if (!held.step()) notHeld.push_back(date);
    }
    if (!notHeld.empty()) return notHeld;  // rolled back: nothing was written
    for (const std::string& date : dates) {
        for (const char* remove :
             {"DELETE FROM detector_days WHERE date = ?1",
              "DELETE FROM feed_outages WHERE date = ?1", "DELETE FROM days WHERE date = ?1"}) {
            sql::Statement s(*db_, remove);
            s.bind(1, std::string_view(date));
            s.step();
        }
    }
    t.commit();
    return {};
}

}  // namespace sorvane::history
