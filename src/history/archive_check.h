#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "history/ledger_store.h"

namespace sorvane::history {

// Whether a day's archive is still the one tested: at its path with the recorded size and
// fingerprint (Ok), gone (Missing), another file now (Changed), or recorded without a
// fingerprint, before the ledger kept them (Unknown).
enum class ArchiveState { Ok, Missing, Changed, Unknown };

// "ok", "missing", "changed", "unknown".
std::string_view archiveStateName(ArchiveState state);

ArchiveState checkArchive(const LedgerDay& day);

struct ArchiveCheck {
    std::string date;
    ArchiveState state;
    std::string archive;
};

std::vector<ArchiveCheck> checkArchives(const std::vector<LedgerDay>& days);

// `history check`: "date, state, archive" per day, then the count of each state ("ok: 3,
// missing: 1, changed: 0, unknown: 0"). "\n" line ends.
std::string archiveCheckText(const std::vector<ArchiveCheck>& checks);
std::string archiveCheckSummary(const std::vector<ArchiveCheck>& checks);

}  // namespace sorvane::history
