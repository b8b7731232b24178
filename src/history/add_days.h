#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "health/health_classify.h"
#include "health/health_parameters.h"
#include "health/health_snapshot.h"
#include "health/lane_parameters.h"
#include "history/feed_outage.h"

namespace sorvane::history {

class LedgerStore;

// An archive to add and the date it is recorded under (YYYY-MM-DD).
struct DayToAdd {
    std::string archive;
    std::string date;
};

struct AddOptions {
    HealthParameterTexts parameters = factoryParameterTexts();
    // The snapshot already taken of `parameters`, used as it is; taken here when there is none.
    std::optional<modBaddet::HealthSnapshot> snapshot;
    // The lane-type sections: a day with an inventory in force tests each detector with its lane
    // type's parameters ([Param] with the section over it).
    LaneSections laneSections = factoryLaneSections();
    double outageShare = kDefaultOutageShare;
    // Threads for the whole run (0: one per core). Days run in parallel, at most `jobs` at
    // once, each on one thread with its own reader. Any workers inside a day must come out of
    // this same budget, so that days and detectors never ask for more threads than cores.
    int jobs = 0;
};

enum class AddOutcome { Added, Refused, Cancelled };

// What a day's health test found, for a line of progress.
struct DayCounts {
    int detectors = 0;  // the archive's detCount
    // Detectors recorded per class, indexed by modBaddet::HealthClass.
    std::array<int, 5> perClass{};
    int feedOutages = 0;
    int owedToOutages = 0;  // High and Susp verdicts owed to the feed outages
    int unitOutages = 0;    // station and controller outages
    int owedToUnitOutages = 0;

    int of(modBaddet::HealthClass c) const { return perClass[static_cast<size_t>(c)]; }
};

struct DayAddResult {
    DayToAdd day;
    AddOutcome outcome = AddOutcome::Cancelled;
    std::string message;  // why a day was refused: "Error No: <n>, <description>."
    DayCounts counts;
    std::string logText;  // the health test's log lines of this day
};

// Called once a day is done (added, refused or cancelled), from the thread that did it, one
// call at a time; `done` of `total` days are done. It must not throw.
using AddProgress = std::function<void(const DayAddResult& day, int done, int total)>;

// The number of cores, at least 1.
int defaultJobs();

// Tests each archive and writes its day into the ledger in one transaction, replacing a day
// that is there. Each day is tested under the ledger's inventory in force on its date. An archive
// that cannot be read is refused with its loading message and the other days go on, and so is one
// that runs out of memory ("not enough memory for its health test"). Days not yet begun when
// `cancel` turns true are cancelled. Results come in the order of `days`. Throws
// HealthParameterError, before any day, for a parameter text that cannot be used
// (LaneParameterError for a lane type's); throws std::bad_alloc when the workers cannot be started
// for want of memory, once the ones started are joined (the days they wrote stay in the ledger).
std::vector<DayAddResult> addDays(LedgerStore& ledger, const std::vector<DayToAdd>& days,
                                  const AddOptions& options, const AddProgress& progress = {},
                                  const std::atomic<bool>* cancel = nullptr);

}  // namespace sorvane::history
