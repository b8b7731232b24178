#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "history/history_report.h"
#include "history/ledger_store.h"

namespace sorvane::history {

// What a detector-day shows at a glance: the class of a verdict owed to the detector, a verdict
// owed to a feed outage, excluded, or no record that day.
// A cell as the picture draws it. A High or Susp verdict owed to an outage is drawn as the
// outage: the feed's, or a station's or controller's (UnitOutage).
enum class CellVerdict : uint8_t {
    NoRecord,
    High,
    Susp,
    Marg,
    Hlth,
    FeedOutage,
    Excluded,
    UnitOutage
};
constexpr int kCellVerdictCount = 8;

CellVerdict verdictOf(const LedgerCell& cell);

// The ledger's days in a window as a table: a row per detector with a record there (ascending),
// a column per date, a verdict per cell.
struct LedgerGrid {
    std::vector<std::string> dates;
    std::vector<int16_t> detectors;
    std::vector<CellVerdict> cells;  // row by row: detectors.size() × dates.size()

    CellVerdict at(size_t row, size_t column) const { return cells[row * dates.size() + column]; }
};

// The report of a window and its grid, from one snapshot of the ledger.
struct LedgerWindow {
    HistoryReport report;
    LedgerGrid grid;
};

// Thrown by readLedgerWindow when its reading is cancelled.
struct ReadCancelled {};

// Throws ReadCancelled soon after `cancel` turns true.
LedgerWindow readLedgerWindow(LedgerStore& ledger, const DateWindow& window,
                              const LabelThresholds& thresholds,
                              const std::atomic<bool>* cancel = nullptr);

}  // namespace sorvane::history
