#pragma once

#include <string>
#include <vector>

#include "history/ledger_store.h"

namespace sorvane::history {

// The parameter set ("Key=Value;...") that most days were tested with; between sets of as many
// days, the one of the earliest day. Empty for no days.
std::string mostCommonParameters(const std::vector<LedgerDay>& days);

// The pairs of `own` whose value differs from `common`'s for the key (or whose key `common`
// lacks), "Key=Value;..." in `own`'s order; empty when none differ.
std::string differingParameters(const std::string& common, const std::string& own);

}  // namespace sorvane::history
