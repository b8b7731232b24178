#include "history/add_days.h"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/failure.h"
#include "common/log.h"
#include "common/machine_cores.h"
#include "history/ledger_day.h"
#include "history/ledger_store.h"

namespace sorvane::history {

namespace {

DayCounts countsOf(const DayRecord& day) {
    DayCounts counts;
    counts.detectors = day.detectors;
    counts.feedOutages = static_cast<int>(day.outages.size());
    for (const DetectorDayRecord& row : day.rows)
        ++counts.perClass[static_cast<size_t>(row.healthClass)];
    return counts;
}

DayAddResult addDay(LedgerStore& ledger, const DayToAdd& day, const DayJudging& judging) {
    DayAddResult result{day, AddOutcome::Refused, {}, {}, {}};
    Log log;
    try {
        DayRecord record = recordDay(day.archive, day.date, judging, log);
        ledger.writeDay(record);
        result.outcome = AddOutcome::Added;
        result.counts = countsOf(record);
    } catch (const SorvaneError& e) {
        result.message = errorNoText(e.number(), e.description()) + ".";
    } catch (const std::exception& e) {
        result.message = std::string(e.what()) + ".";  // out of memory, say: this day only
    }
    result.logText = log.logText();
    return result;
}

}  // namespace

int defaultJobs() {
    return machineCores();
}

std::vector<DayAddResult> addDays(LedgerStore& ledger, const std::vector<DayToAdd>& days,
                                  const AddOptions& options, const AddProgress& progress,
                                  const std::atomic<bool>* cancel) {
    DayJudging judging{
        options.parameters,
        options.snapshot ? *options.snapshot : modBaddet::takeHealthSnapshot(options.parameters),
        options.outageShare};
    std::vector<DayAddResult> results(days.size());
    for (size_t i = 0; i < days.size(); ++i)
        results[i].day = days[i];

    std::atomic<size_t> next{0};
    std::mutex reporting;
    int done = 0;
    auto work = [&] {
        for (size_t i = next++; i < days.size(); i = next++) {
            DayAddResult result = cancel && *cancel ? results[i] : addDay(ledger, days[i], judging);
            std::lock_guard lock(reporting);
            results[i] = std::move(result);
            ++done;
            if (progress) progress(results[i], done, static_cast<int>(days.size()));
        }
    };
    // One thread per day up to the budget; the days are the unit of parallel work.
    settleLocalTimeZone();  // before any thread reads the environment
    int jobs = threadsFor(options.jobs);
    size_t workers = std::min(days.size(), static_cast<size_t>(jobs));
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads do the same work
        }
    }
    work();
    for (std::thread& t : threads)
        t.join();
    return results;
}

}  // namespace sorvane::history
