// Times sorvane-cli history on a run of generated days: `history add` of every day into a fresh
// ledger with --jobs 1 and with the default jobs (one per core), then `history report` over
// them. Prints the times, the speed-up, the ledger's size and each run's peak memory (the
// child's maximum resident set). Targets on a 2-core machine: the days added in at most 10 s
// with the default jobs and at least 1.7 times faster than with one; the report in at most
// 0.5 s; the ledger at most 40 MB; under 64 MiB of memory per job.
//
// Then a year: the run's days copied in four-week steps (weekdays kept) into a ledger of 365
// days, timed with `history report` (counts, labels and ratios; target 2 s and 256 MiB) and
// `history day` (target 0.2 s).
//
// Then the same on a PostgreSQL server that the benchmark starts on a Unix socket (Debian's
// postgresql; fsync on, as a center's server): the 30 days added with the default jobs (target
// at most 1.5 times the time into the file), their report, the year copied in with `history
// copy` and reported (target at most 1.5 times the file's report) and the year's size on the
// server. Skipped, saying so, where no server is installed.
//
// Usage: bench_history [DAYS [DETECTORS [FOLDER]]]   (default 30 days of 5000 detectors)
// The days are written into FOLDER (default: a temporary folder, removed at the end) unless it
// already holds them, so repeated runs can skip the generation.
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "child_run.h"
#include "history/pg_db.h"
#include "history/sql_connection.h"
#include "pg_test_server.h"

namespace {

namespace fs = std::filesystem;

using Run = sorvane::bench::ChildRun;

// Runs a program with its output dropped; exits the benchmark when it fails.
Run run(std::vector<std::string> args) {
    return sorvane::bench::runChild(std::move(args));
}

std::vector<std::string> archivesIn(const fs::path& folder) {
    std::vector<std::string> archives;
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".traffic") archives.push_back(entry.path().string());
        }
    }
    std::sort(archives.begin(), archives.end());
    return archives;
}

Run addAll(const std::vector<std::string>& archives, const std::string& db, const char* jobs) {
    fs::remove(db);
    std::vector<std::string> args{SORVANE_CLI, "history", "add", "--db", db};
    if (jobs) args.insert(args.end(), {"--jobs", jobs});
    args.insert(args.end(), archives.begin(), archives.end());
    return run(args);
}

// A ledger of 365 days from the run's ledger: its days copied forward in steps of 28 days, so
// that each copy keeps its weekdays and the baselines see their usual days.
void writeYear(const std::string& from, const std::string& year) {
    fs::remove(year);
    fs::copy_file(from, year);
    sqlite3* db = nullptr;
    const char* sql = R"(
PRAGMA journal_mode=DELETE;
BEGIN;
CREATE TEMP TABLE steps AS WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k
    WHERE n < 13) SELECT n * 28 AS shift FROM k;
INSERT OR IGNORE INTO days SELECT date(date, '+' || shift || ' days'), archive, detectors,
    parameters, tested_at, archive_size, archive_fingerprint, lane_parameters FROM main.days,
    steps;
INSERT OR IGNORE INTO detector_days SELECT date(date, '+' || shift || ' days'), det, class, step,
    reason, list_line, missing, zero_run, lock_on, corr_coef, occ_spikes, vol_spikes, dev_index,
    vol_high_occ, max_vol5, overcount_slots, valid_vol_slots, outage_missing, attribution,
    status, daytime_volume, daytime_valid FROM main.detector_days, steps;
DELETE FROM days WHERE date > date((SELECT min(date) FROM days), '+364 days');
DELETE FROM detector_days WHERE date > date((SELECT min(date) FROM days), '+364 days');
COMMIT;
)";
    if (sqlite3_open(year.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "the year's ledger: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    sqlite3_close(db);
}

// The best time and the highest peak of `runs` runs.
Run best(const std::vector<std::string>& args, int runs) {
    Run result{1e300, 0.0};
    for (int i = 0; i < runs; ++i) {
        Run r = run(args);
        result.seconds = std::min(result.seconds, r.seconds);
        result.peakMiB = std::max(result.peakMiB, r.peakMiB);
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    int days = argc > 1 ? std::atoi(argv[1]) : 30;
    int detectors = argc > 2 ? std::atoi(argv[2]) : 5000;
    bool temporary = argc <= 3;
    fs::path folder = temporary ? fs::temp_directory_path() /
                                      ("sorvane-bench-history-" + std::to_string(::getpid()))
                                : fs::path(argv[3]);
    std::vector<std::string> archives = archivesIn(folder);
    if (archives.size() != static_cast<size_t>(days)) {
        std::printf("writing %d days of %d detectors into %s ...\n", days, detectors,
                    folder.c_str());
        run({SORVANE_MKARCHIVE, "-o", folder.string(), "--days", std::to_string(days), "--start",
             "20240301", "-n", std::to_string(detectors)});
        archives = archivesIn(folder);
    }
    std::string db = (folder / "bench-ledger.sqlite").string();
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());

    Run one = addAll(archives, db, "1");
    Run all = addAll(archives, db, nullptr);
    double megabytes = static_cast<double>(fs::file_size(db)) / 1e6;
    Run report = best({SORVANE_CLI, "history", "report", "--db", db}, 5);
    std::string year = (folder / "bench-year.sqlite").string();
    writeYear(db, year);
    Run yearReport = best({SORVANE_CLI, "history", "report", "--db", year}, 3);
    Run yearDay = best({SORVANE_CLI, "history", "day", "2024-09-02", "--db", year}, 5);

    std::printf("%zu days of %d detectors\n", archives.size(), detectors);
    std::printf("history add --jobs 1:       %6.2f s   peak %6.1f MiB\n", one.seconds, one.peakMiB);
    std::printf("history add (%u jobs):       %6.2f s   peak %6.1f MiB (%.1f MiB a job)\n", cores,
                all.seconds, all.peakMiB, all.peakMiB / cores);
    std::printf("speed-up:                   %6.2f x  (target at least 1.7 on 2 cores)\n",
                one.seconds / all.seconds);
    std::printf("history report:             %6.3f s   peak %6.1f MiB (best of 5)\n",
                report.seconds, report.peakMiB);
    std::printf("ledger:                     %6.1f MB\n", megabytes);
    std::printf(
        "365 days: history report:   %6.3f s   peak %6.1f MiB (best of 3; target 2 s, 256 MiB)\n",
        yearReport.seconds, yearReport.peakMiB);
    std::printf("365 days: history day:      %6.3f s   peak %6.1f MiB (best of 5; target 0.2 s)\n",
                yearDay.seconds, yearDay.peakMiB);
    std::printf("365 days: ledger:           %6.1f MB\n",
                static_cast<double>(fs::file_size(year)) / 1e6);

    sorvane::test::PgTestServer server(true);
    if (!server.unavailable().empty()) {
        std::printf("PostgreSQL: skipped, %s\n", server.unavailable().c_str());
    } else {
        std::string uri = server.createDatabase();
        std::vector<std::string> args{SORVANE_CLI, "history", "add", "--db", uri};
        args.insert(args.end(), archives.begin(), archives.end());
        Run serverAdd = run(args);
        Run serverReport = best({SORVANE_CLI, "history", "report", "--db", uri}, 5);
        std::string yearUri = server.createDatabase();
        Run copy = run({SORVANE_CLI, "history", "copy", "--from", year, "--to", yearUri});
        Run serverYearReport = best({SORVANE_CLI, "history", "report", "--db", yearUri}, 3);
        Run serverYearDay = best({SORVANE_CLI, "history", "day", "2024-09-02", "--db", yearUri}, 5);
        sorvane::history::sql::PgConnection sizes(yearUri, std::chrono::seconds(60));
        sorvane::history::sql::Statement size(
            sizes,
            "SELECT pg_total_relation_size('detector_days'), "
            "pg_total_relation_size('days') + pg_total_relation_size('feed_outages') + "
            "pg_total_relation_size('unit_outages') + pg_total_relation_size('inventory'), "
            "(SELECT count(*) FROM detector_days)");
        size.step();
        std::printf("PostgreSQL (fsync on, Unix socket):\n");
        std::printf(
            "history add (%u jobs):       %6.2f s   peak %6.1f MiB (%.2f x the file; "
            "target at most 1.5)\n",
            cores, serverAdd.seconds, serverAdd.peakMiB, serverAdd.seconds / all.seconds);
        std::printf("history report:             %6.3f s   peak %6.1f MiB (best of 5)\n",
                    serverReport.seconds, serverReport.peakMiB);
        std::printf("365 days: history copy in:  %6.2f s   peak %6.1f MiB\n", copy.seconds,
                    copy.peakMiB);
        std::printf(
            "365 days: history report:   %6.3f s   peak %6.1f MiB (best of 3; %.2f x the "
            "file; target at most 1.5)\n",
            serverYearReport.seconds, serverYearReport.peakMiB,
            serverYearReport.seconds / yearReport.seconds);
        std::printf("365 days: history day:      %6.3f s   peak %6.1f MiB (best of 5)\n",
                    serverYearDay.seconds, serverYearDay.peakMiB);
        std::printf(
            "365 days: detector_days:    %6.1f MB for %lld detector-days (%.0f bytes "
            "each); the other tables %.1f MB\n",
            static_cast<double>(size.integer(0)) / 1e6, static_cast<long long>(size.integer(2)),
            static_cast<double>(size.integer(0)) / static_cast<double>(size.integer(2)),
            static_cast<double>(size.integer(1)) / 1e6);
    }
    fs::remove(db);
    fs::remove(year);
    if (temporary) fs::remove_all(folder);
    return 0;
}
