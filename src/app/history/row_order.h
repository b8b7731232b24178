#pragma once

#include <vector>

#include "app/history/history_grid_view.h"

namespace sorvane::app {

struct LedgerRead;

// How the picture's rows are ordered.
enum class RowOrder {
    RepairList,  // the repair list's detectors in its order, then the rest by number
    Number,      // by detector number
    Network,     // by corridor, then station by milepost, under a heading row each
};

// The picture's rows: grid rows from top to bottom, -1 - h standing for headings[h].
struct GridRows {
    std::vector<int> rows;
    std::vector<HistoryGridView::RowHeading> headings;
};

// The rows of a read in `order`. Where an inventory is in force on the window's last date, the
// detectors it marks abandoned are left out unless `abandoned` is asked for; without one, the
// network order is the number order.
GridRows gridRows(const LedgerRead& read, RowOrder order, bool abandoned);

}  // namespace sorvane::app
