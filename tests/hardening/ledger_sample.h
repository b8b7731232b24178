#pragma once

#include <string>

#include "history/ledger_store.h"

namespace sorvane::test {

// A day of one detector (101, highly suspicious, a feed outage of slots 100 to 109), as the
// ledger's tests write it.
inline history::DayRecord sampleDay(const std::string& date) {
    history::DetectorDayRecord row;
    row.date = date;
    row.det = 101;
    row.healthClass = modBaddet::HealthClass::High;
    row.step = modBaddet::DecisionStep::Missing;
    row.reason = "missing data";
    row.measures = modBaddet::HealthMeasures{};
    row.outageMissing = 10;
    row.status = DailyStatus::Good;
    row.attribution = history::Attribution::Detector;
    return {date,
            "/archives/" + date + ".traffic",
            1,
            "",
            date + "T06:00:00Z",
            {row},
            {{100, 109, 0.9}}};
}

// Adds the sample day of each date to the ledger at `path`.
inline void addSampleDays(const std::string& path, int days, int firstDay = 1) {
    history::LedgerStore ledger(path, history::LedgerStore::Access::Add);
    for (int d = firstDay; d < firstDay + days; ++d)
        ledger.writeDay(sampleDay("2024-03-" + std::string(d < 10 ? "0" : "") + std::to_string(d)));
}

}  // namespace sorvane::test
