#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/history_report.h"

namespace sorvane::history {

// A line of the repair list as a work order: the detector's summary and, under an inventory,
// its place in the network (the version in force on the window's last date).
struct RepairRow {
    const DetectorSummary* summary = nullptr;
    const InventoryRow* network = nullptr;  // null without an inventory or when it lacks the det
};

// The report's repair list in its order; the rows point into `report`.
std::vector<RepairRow> repairRows(const HistoryReport& report);

// What the repair list is narrowed to: each part that is set must match. `search` is typed
// text that the detector number must contain (blanks around it ignored).
struct RepairFilter {
    std::optional<DetectorLabel> label;
    std::optional<modBaddet::DecisionStep> step;
    std::optional<LaneType> laneType;  // a row without a network place never matches one
    std::optional<std::string> corridor;
    std::string search;
};

bool matches(const RepairRow& row, const RepairFilter& filter);

// The corridors of the rows, each once, in text order.
std::vector<std::string> corridorsOf(const std::vector<RepairRow>& rows);

// The lines of `history report --csv` (its header and its row format) for the given detectors
// of the report, in the order given.
std::string repairListCsv(const HistoryReport& report, const std::vector<int16_t>& detectors);

}  // namespace sorvane::history
