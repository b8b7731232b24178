#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/ledger_store.h"

namespace sorvane::history {

// One date's High and Susp verdicts, parted into the detectors' own and those owed to a feed
// outage: "was it the feed or the detectors?"
struct DayVerdict {
    LedgerDay day;
    DayTally tally;
    std::vector<FeedOutage> outages;
    struct Row {
        LedgerCell cell;
        // For the detector's own verdicts: "new today" when its previous counted day was good
        // or it has none, else the date its run of bad counted days began.
        std::string since;
    };
    std::vector<Row> own;   // detector order
    std::vector<Row> owed;  // owed to a feed outage, detector order
    // With an inventory in force on the date: the inventory, the day's controller and station
    // outages and the verdicts owed to them (detector order).
    std::optional<Inventory> network;
    std::vector<UnitOutage> unitOutages;
    std::vector<Row> owedToUnits;
};

// The verdict of a date the ledger holds, read in one snapshot; nothing when it does not.
std::optional<DayVerdict> readDayVerdict(LedgerStore& ledger, const std::string& date);

// The archive, test time, counts by class, feed outages, the counts owed to the outages and to
// the detectors, then the detectors' own verdicts (det, class, step, since) and those owed to
// an outage (det, class, step). With an inventory in force, also the controller and station
// outages, the count owed to them and their verdicts (det, class, step, attribution). "\n" line
// ends.
std::string dayVerdictText(const DayVerdict& verdict);

// One row per High or Susp detector in detector order under det,class,step,attribution,since,
// status,station,lane,lane_type,corridor (since empty for verdicts owed to an outage; the network
// columns empty where no inventory is in force or it lacks the detector). CR LF line ends.
std::string dayVerdictCsv(const DayVerdict& verdict);

}  // namespace sorvane::history
