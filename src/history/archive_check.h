#pragma once

#include <string_view>

#include "history/ledger_store.h"

namespace sorvane::history {

// Whether a day's archive is still the one tested: at its path with the recorded size and
// fingerprint (Ok), gone (Missing), another file now (Changed), or recorded without a
// fingerprint, before the ledger kept them (Unknown).
enum class ArchiveState { Ok, Missing, Changed, Unknown };

// "ok", "missing", "changed", "unknown".
std::string_view archiveStateName(ArchiveState state);

ArchiveState checkArchive(const LedgerDay& day);

}  // namespace sorvane::history
