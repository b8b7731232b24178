#pragma once

#include <string>

#include "health/health_parameters.h"
#include "health/health_snapshot.h"
#include "history/feed_outage.h"
#include "history/ledger_record.h"

namespace sorvane {
class Log;
}

namespace sorvane::history {

// How the ledger judges a day: the health test's parameters as texts (recorded with the day)
// and converted, and the share S of tested detectors that makes a slot a feed-outage slot.
struct DayJudging {
    HealthParameterTexts parameters;
    modBaddet::HealthSnapshot snapshot;
    double outageShare = kDefaultOutageShare;
};

// Runs the health test of all detectors on the archive, as `sorvane-cli health` does, and
// builds the ledger's day: every detector once (from its first visit), its daily status, the
// day's feed outages and each detector's attribution. The run's log lines go to `log`. Throws
// SorvaneError when the archive cannot be listed.
DayRecord recordDay(const std::string& archive, const std::string& date, const DayJudging& judging,
                    Log& log);

}  // namespace sorvane::history
