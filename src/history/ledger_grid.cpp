#include "history/ledger_grid.h"

#include <algorithm>
#include <numeric>

namespace sorvane::history {

namespace {

using modBaddet::HealthClass;

// Fills a grid from cells in date order. Rows are made as detectors first appear and put in
// detector order at the end; a cell of a date the grid does not have is left out.
class GridBuilder : public CellReader {
  public:
    GridBuilder(LedgerGrid& grid, const std::atomic<bool>* cancel)
        : grid_(grid), cancel_(cancel), rowOf_(65536, -1) {}

    void dates(const std::vector<std::string>& dates) override { grid_.dates = dates; }

    void cell(const LedgerCell& cell) override {
        if (cancel_ && ++seen_ % kCellsBetweenLooks == 0 && *cancel_) throw ReadCancelled{};
        while (column_ < grid_.dates.size() && grid_.dates[column_] < cell.date)
            ++column_;
        if (column_ == grid_.dates.size() || grid_.dates[column_] != cell.date) return;
        int32_t& row = rowOf_[static_cast<size_t>(cell.det + 32768)];
        if (row < 0) {
            row = static_cast<int32_t>(grid_.detectors.size());
            grid_.detectors.push_back(cell.det);
            grid_.cells.resize(grid_.cells.size() + grid_.dates.size(), CellVerdict::NoRecord);
        }
        grid_.cells[static_cast<size_t>(row) * grid_.dates.size() + column_] = verdictOf(cell);
    }

    void sortRows() {
        size_t columns = grid_.dates.size();
        std::vector<size_t> order(grid_.detectors.size());
        std::iota(order.begin(), order.end(), size_t{0});
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return grid_.detectors[a] < grid_.detectors[b]; });
        LedgerGrid sorted;
        sorted.dates = std::move(grid_.dates);
        sorted.cells.reserve(grid_.cells.size());
        for (size_t row : order) {
            sorted.detectors.push_back(grid_.detectors[row]);
            auto first = grid_.cells.begin() + static_cast<ptrdiff_t>(row * columns);
            sorted.cells.insert(sorted.cells.end(), first, first + static_cast<ptrdiff_t>(columns));
        }
        grid_ = std::move(sorted);
    }

  private:
    static constexpr size_t kCellsBetweenLooks = 4096;

    LedgerGrid& grid_;
    const std::atomic<bool>* cancel_;
    size_t seen_ = 0;
    std::vector<int32_t> rowOf_;
    size_t column_ = 0;
};

}  // namespace

CellVerdict verdictOf(const LedgerCell& cell) {
    if (cell.attribution == Attribution::FeedOutage) return CellVerdict::FeedOutage;
    if (isOwedToOutage(cell.attribution)) return CellVerdict::UnitOutage;
    switch (cell.healthClass) {
        case HealthClass::High:
            return CellVerdict::High;
        case HealthClass::Susp:
            return CellVerdict::Susp;
        case HealthClass::Marg:
            return CellVerdict::Marg;
        case HealthClass::Hlth:
            return CellVerdict::Hlth;
        case HealthClass::Excluded:
            break;
    }
    return CellVerdict::Excluded;
}

LedgerWindow readLedgerWindow(LedgerStore& ledger, const DateWindow& window,
                              const LabelThresholds& thresholds, const std::atomic<bool>* cancel) {
    LedgerWindow result;
    GridBuilder builder(result.grid, cancel);
    result.report = readReport(ledger, window, thresholds, &builder);
    builder.sortRows();
    return result;
}

}  // namespace sorvane::history
