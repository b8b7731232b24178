#pragma once

#include <map>
#include <string>
#include <vector>

#include "history/ledger_store.h"

namespace sorvane::history {

// What `history days` lists: the days of a window with their tallies and outages per date, and
// the parameter set most days of the whole ledger were tested with.
struct LedgerDaysList {
    std::vector<LedgerDay> days;
    std::map<std::string, DayTally> tallies;
    std::map<std::string, int> outagesPerDate;
    std::map<std::string, int> unitOutagesPerDate;
    std::string common;
};

// Read in one transaction. Narrowed by a filter, a day counts the recorded detectors it matches.
LedgerDaysList readLedgerDays(LedgerStore& ledger, const DateWindow& window,
                              const NetworkFilter& filter = {});

// The fields of day `index`'s line below, in its order; the last is the parameters that differ
// from the common ones ("Key=Value;...", empty when none do).
std::vector<std::string> ledgerDayFields(const LedgerDaysList& list, size_t index);

// The "missing: ..." lines below, without their line ends.
std::vector<std::string> missingDateLines(const std::vector<LedgerDay>& days);

std::string ledgerDaysText(const LedgerDaysList& list);

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
