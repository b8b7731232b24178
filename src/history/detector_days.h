#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/ledger_grid.h"
#include "history/ledger_store.h"

namespace sorvane::history {

// One recorded day of one detector as its days chart draws it.
struct DetectorDayPoint {
    std::string date;
    CellVerdict verdict = CellVerdict::NoRecord;
    bool bad = false;                // a counted High or Susp day
    bool outage = false;             // the verdict is owed to a feed, controller or station outage
    std::optional<double> volume;    // the daytime volume scaled to the whole span
    std::optional<double> baseline;  // the count drift's baseline of that date
};

// The detector's recorded days from `from` to `to` (both included), in date order, each with
// its baseline as the count drift has it (the reference days before `from` read too).
std::vector<DetectorDayPoint> readDetectorDays(LedgerStore& ledger, int16_t det,
                                               const std::string& from, const std::string& to);

}  // namespace sorvane::history
