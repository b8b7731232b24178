#pragma once

#include <map>
#include <string>
#include <vector>

#include "history/ledger_store.h"

namespace sorvane::history {

// `history days`: one line per day, "date, detectors, High, Susp, Marg, Hlth, Excluded,
// unreadable, outages, unit_outages, tested_at, archive", ending in ", parameters differ:
// Key=Value;..." when its parameters differ from `common`; then one line per run of dates between
// the first and the last day that the ledger lacks: "missing: 2024-01-31..2024-02-04 (5 days)", or
// "missing: 2024-01-31 (1 day)". "\n" line ends.
std::string ledgerDaysText(const std::vector<LedgerDay>& days,
                           const std::map<std::string, DayTally>& tallies,
                           const std::map<std::string, int>& outagesPerDate,
                           const std::map<std::string, int>& unitOutagesPerDate,
                           const std::string& common);

}  // namespace sorvane::history
