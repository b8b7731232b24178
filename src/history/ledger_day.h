#pragma once

#include <memory>
#include <string>

#include "health/detector_parameters.h"
#include "health/health_parameters.h"
#include "health/health_snapshot.h"
#include "history/feed_outage.h"
#include "history/inventory.h"
#include "history/ledger_record.h"

namespace sorvane {
class Log;
}

namespace sorvane::history {

// How the ledger judges a day: the health test's parameters as texts (recorded with the day)
// and converted, and the share S of tested detectors that makes a slot a feed-outage slot. With
// an inventory in force, each detector is tested with its lane type's parameters (`byDetector`,
// built from `inventory`); without, every detector with `snapshot`.
struct DayJudging {
    HealthParameterTexts parameters;
    modBaddet::HealthSnapshot snapshot;
    double outageShare = kDefaultOutageShare;
    const Inventory* inventory = nullptr;
    std::shared_ptr<const modBaddet::DetectorParameters> byDetector = nullptr;

    const modBaddet::HealthSnapshot& snapshotOf(int16_t det) const {
        return byDetector ? byDetector->of(det) : snapshot;
    }
};

// The lane-type sets that some tested detector used, "type:Key=Value,...;..." in the order of
// `parameters`' other sets; `used` counts the detectors per set (0 for [Param]).
std::string laneParametersText(const modBaddet::DetectorParameters& parameters,
                               const std::vector<int>& used);

// Runs the health test of all detectors on the archive, as `sorvane-cli health` does, and
// builds the ledger's day: every detector once (from its first visit), its daily status, the
// day's feed outages and each detector's attribution. The run's log lines go to `log`. Throws
// SorvaneError when the archive cannot be listed.
DayRecord recordDay(const std::string& archive, const std::string& date, const DayJudging& judging,
                    Log& log);

}  // namespace sorvane::history
