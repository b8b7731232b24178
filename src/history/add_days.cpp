#include "history/add_days.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/failure.h"
#include "common/log.h"
#include "common/machine_cores.h"
#include "common/ordered_workers.h"
#include "history/inventory_parameters.h"
#include "history/ledger_day.h"
#include "history/ledger_store.h"

namespace sorvane::history {

namespace {

DayCounts countsOf(const DayRecord& day) {
    DayCounts counts;
    counts.detectors = day.detectors;
    counts.feedOutages = static_cast<int>(day.outages.size());
    for (const DetectorDayRecord& row : day.rows) {
        ++counts.perClass[static_cast<size_t>(row.healthClass)];
        counts.owedToOutages += row.attribution == Attribution::FeedOutage ? 1 : 0;
        counts.owedToUnitOutages += row.attribution == Attribution::ControllerOutage ||
                                            row.attribution == Attribution::StationOutage
                                        ? 1
                                        : 0;
    }
    counts.unitOutages = static_cast<int>(day.unitOutages.size());
    return counts;
}

// The judging of each inventory version: its detectors' parameters built once.
struct VersionJudging {
    std::string validFrom;
    DayJudging judging;
};

DayAddResult addDay(LedgerStore& ledger, const DayToAdd& day, const DayJudging& judging) {
    DayAddResult result{day, AddOutcome::Refused, {}, {}, {}};
    Log log;
    try {
        DayRecord record = recordDay(day.archive, day.date, judging, log);
        ledger.writeDay(record);
        result.outcome = AddOutcome::Added;
        result.counts = countsOf(record);
    } catch (const std::bad_alloc&) {
        result.message = "not enough memory for its health test";  // this day only
    } catch (const SorvaneError& e) {
        result.message = errorNoText(e.number(), e.description()) + ".";
    } catch (const std::exception& e) {
        result.message = std::string(e.what()) + ".";
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
    const DayJudging judging{
        options.parameters,
        options.snapshot ? *options.snapshot : modBaddet::takeHealthSnapshot(options.parameters),
        options.outageShare};
    const InventoryVersions inventories = ledger.inventoryVersions();
    std::vector<VersionJudging> byVersion;
    for (const InventoryVersion& v : inventories.all()) {
        DayJudging j = judging;
        j.inventory = &v.inventory;
        j.byDetector = std::make_shared<modBaddet::DetectorParameters>(
            parametersByLaneType(v.inventory, options.parameters, options.laneSections));
        byVersion.push_back({v.validFrom, std::move(j)});
    }
    auto judgingOn = [&](const std::string& date) -> const DayJudging& {
        const InventoryVersion* v = inventories.versionOn(date);
        return v ? byVersion[static_cast<size_t>(v - inventories.all().data())].judging : judging;
    };
    // The progress comes as each day is done, on the thread that did it; the results are
    // taken in the order of the days.
    std::mutex reporting;
    int done = 0;
    const int total = static_cast<int>(days.size());
    const ItemMaker<DayAddResult> addOne = [&](size_t i) {
        DayAddResult result = cancel && *cancel
                                  ? DayAddResult{days[i], AddOutcome::Cancelled, {}, {}, {}}
                                  : addDay(ledger, days[i], judgingOn(days[i].date));
        std::lock_guard lock(reporting);
        ++done;
        if (progress) progress(result, done, total);
        return result;
    };
    std::vector<DayAddResult> results;
    results.reserve(days.size());
    const std::function<void(size_t, DayAddResult&)> takeResult =
        [&results](size_t, DayAddResult& day) { results.push_back(std::move(day)); };
    // One worker per day up to the budget; the days are the unit of parallel work. With one
    // job the calling thread adds them all. Every day has its place in the window, so that no
    // worker waits for a slow day before it.
    settleLocalTimeZone();  // before any thread reads the environment
    const size_t jobs = std::min(days.size(), static_cast<size_t>(threadsFor(options.jobs)));
    runInOrder<DayAddResult>(
        days.size(), jobs > 1 ? static_cast<int>(jobs) : 0, days.size(),
        [&addOne] { return addOne; }, addOne, takeResult);
    return results;
}

}  // namespace sorvane::history
