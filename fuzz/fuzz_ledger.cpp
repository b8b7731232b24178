// Bytes as a health ledger: open it as the reports do, then read the report, its grid, its
// text and CSV, and the days of the detectors it names, as `history report` and
// `history detector` do. Any SorvaneError is a proper refusal; anything else is a finding.
// Run with SORVANE_FUZZ_LEDGER_SEEDS=DIR, it writes valid ledgers into DIR as seeds and ends.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "common/error.h"
#include "history/day_verdict.h"
#include "history/history_report.h"
#include "history/ledger_grid.h"
#include "history/ledger_store.h"
#include "history/report_text.h"
#include "history/sqlite_db.h"

namespace {

using namespace sorvane::history;

DayRecord seedDay(int day, int detectors) {
    std::string date = "2024-03-" + std::string(day < 10 ? "0" : "") + std::to_string(day);
    DayRecord record{
        date, "/archives/" + date + ".traffic",    detectors, "OccSpikeTh=40", date + "T06:00:00Z",
        {},   {{100, 109, 0.9}, {2000, 2879, 0.5}}};
    for (int det = 0; det < detectors; ++det) {
        DetectorDayRecord row;
        row.date = date;
        row.det = static_cast<int16_t>(101 + det);
        row.healthClass = static_cast<sorvane::modBaddet::HealthClass>((day + det) % 5);
        row.step = sorvane::modBaddet::DecisionStep::Missing;
        row.reason = "reason";
        if (row.healthClass != sorvane::modBaddet::HealthClass::Excluded)
            row.measures = sorvane::modBaddet::HealthMeasures{};
        row.outageMissing = det;
        row.status = static_cast<sorvane::DailyStatus>(det % 7);
        row.attribution = static_cast<Attribution>(det % 3);
        record.rows.push_back(row);
    }
    return record;
}

// Small pages keep a seed to a few kilobytes; one seed in WAL mode, one not.
void writeSeeds(const std::string& folder) {
    for (const char* mode : {"WAL", "DELETE"}) {
        std::string path = folder + "/ledger-" + mode;
        std::remove(path.c_str());
        {
            LedgerStore ledger(path, LedgerStore::Access::Add);
            for (int day = 1; day <= 4; ++day)
                ledger.writeDay(seedDay(day, 3));
        }
        sql::Database db(path, sql::Database::Mode::ReadWrite);
        db.exec("PRAGMA journal_mode=DELETE; PRAGMA page_size=512; VACUUM;");
        db.exec((std::string("PRAGMA journal_mode=") + mode).c_str());
    }
}

void readAsTheCommandsDo(const std::string& path) {
    LedgerStore ledger(path, LedgerStore::Access::Read);
    HistoryReport report = readReport(ledger, {}, {});
    (void)reportText(report);
    (void)reportCsv(report);
    (void)readLedgerWindow(ledger, {"2024-03-02", "2024-03-03"}, {2, 1});
    std::set<int16_t> dets;
    for (const LedgerCell& cell : ledger.cells({}))
        dets.insert(cell.det);
    for (int16_t det : dets) {
        (void)detectorDaysText(ledger.detectorDays(det), readDetectorRatios(ledger, det, ""));
        if (dets.size() > 8) break;
    }
    if (auto verdict = readDayVerdict(ledger, "2024-03-01")) (void)dayVerdictText(*verdict);
    (void)ledger.detectorDay("2024-03-01", 101);
    (void)ledger.archiveOf("2024-03-01");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* folder = std::getenv("SORVANE_FUZZ_LEDGER_SEEDS")) {
        writeSeeds(folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = [] {
        std::string f = "/tmp/sorvane-fuzz-ledger-" + std::to_string(::getpid());
        ::mkdir(f.c_str(), 0700);
        return f;
    }();
    static const std::string path = folder + "/ledger.sqlite";
    for (const char* ending : {"", "-wal", "-shm", "-journal"})
        std::remove((path + ending).c_str());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    // The last byte chooses how the ledger is read: by its owner, or as a file the user may
    // only read (without writing beside it).
    ::chmod(path.c_str(), size > 0 && (data[size - 1] & 1) ? 0444 : 0644);
    try {
        readAsTheCommandsDo(path);
    } catch (const sorvane::SorvaneError&) {
    }
    return 0;
}
