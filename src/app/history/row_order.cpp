#include "app/history/row_order.h"

#include <algorithm>
#include <limits>
#include <map>
#include <tuple>

#include "app/history/ledger_worker.h"
#include "app/qt_text.h"

namespace sorvane::app {

namespace {

// A station's place along its corridor: the lowest milepost of its detectors, stations without
// one last.
std::map<std::pair<std::string, std::string>, double> stationMileposts(
    const history::Inventory& inventory) {
    std::map<std::pair<std::string, std::string>, double> mileposts;
    for (const history::InventoryRow& r : inventory.rows) {
        double at = r.milepost.value_or(std::numeric_limits<double>::infinity());
        auto [place, added] = mileposts.try_emplace({r.corridor, r.station}, at);
        if (!added) place->second = std::min(place->second, at);
    }
    return mileposts;
}

void addNetworkRows(const history::LedgerGrid& grid, const history::Inventory& inventory,
                    const std::vector<int>& kept, GridRows& out) {
    const auto mileposts = stationMileposts(inventory);
    struct Placed {
        const history::InventoryRow* where;  // null: not in the inventory
        double milepost;
        int row;
    };
    std::vector<Placed> placed;
    placed.reserve(kept.size());
    for (int row : kept) {
        const history::InventoryRow* r = inventory.find(grid.detectors[static_cast<size_t>(row)]);
        placed.push_back({r, r ? mileposts.at({r->corridor, r->station}) : 0.0, row});
    }
    auto before = [](const Placed& a, const Placed& b) {
        if ((a.where == nullptr) != (b.where == nullptr)) return b.where == nullptr;
        if (a.where == nullptr) return a.row < b.row;
        const history::InventoryRow& x = *a.where;
        const history::InventoryRow& y = *b.where;
        constexpr int32_t kNoLane = std::numeric_limits<int32_t>::max();
        return std::tie(x.corridor, a.milepost, x.station) <
                   std::tie(y.corridor, b.milepost, y.station) ||
               (std::tie(x.corridor, a.milepost, x.station) ==
                    std::tie(y.corridor, b.milepost, y.station) &&
                std::make_pair(x.lane.value_or(kNoLane), a.row) <
                    std::make_pair(y.lane.value_or(kNoLane), b.row));
    };
    std::sort(placed.begin(), placed.end(), before);
    auto heading = [&out](QString text, int level) {
        out.headings.push_back({std::move(text), level});
        out.rows.push_back(-static_cast<int>(out.headings.size()));
    };
    const history::InventoryRow* group = nullptr;
    bool outside = false;
    for (const Placed& p : placed) {
        const history::InventoryRow* r = p.where;
        if (r == nullptr && !outside) {
            heading(QStringLiteral("Not in the inventory"), 0);
            outside = true;
        } else if (r != nullptr) {
            if (group == nullptr || r->corridor != group->corridor)
                heading(
                    r->corridor.empty() ? QStringLiteral("No corridor") : toQString(r->corridor),
                    0);
            if (group == nullptr || r->corridor != group->corridor ||
                r->station != group->station) {
                QString text = QStringLiteral("Station ") + toQString(r->station);
                double at = p.milepost;
                if (at != std::numeric_limits<double>::infinity())
                    text += QStringLiteral(", milepost ") + QString::number(at);
                heading(text, 1);
            }
            group = r;
        }
        out.rows.push_back(p.row);
    }
}

}  // namespace

GridRows gridRows(const LedgerRead& read, RowOrder order, bool abandoned) {
    const history::LedgerGrid& grid = read.window.grid;
    const history::Inventory* inventory = read.window.report.inventory();
    std::vector<bool> placed(grid.detectors.size(), false);
    if (inventory != nullptr && !abandoned) {
        for (size_t row = 0; row < grid.detectors.size(); ++row) {
            const history::InventoryRow* r = inventory->find(grid.detectors[row]);
            placed[row] = r != nullptr && r->abandoned;  // left out
        }
    }
    GridRows out;
    out.rows.reserve(grid.detectors.size());
    if (order == RowOrder::RepairList) {
        for (const history::DetectorSummary& s : read.window.report.repairList) {
            auto at = std::lower_bound(grid.detectors.begin(), grid.detectors.end(), s.det);
            if (at == grid.detectors.end() || *at != s.det) continue;
            auto row = static_cast<size_t>(at - grid.detectors.begin());
            if (placed[row]) continue;
            out.rows.push_back(static_cast<int>(row));
            placed[row] = true;
        }
    }
    std::vector<int> rest;
    for (size_t row = 0; row < grid.detectors.size(); ++row) {
        if (!placed[row]) rest.push_back(static_cast<int>(row));
    }
    if (order == RowOrder::Network && inventory != nullptr) {
        addNetworkRows(grid, *inventory, rest, out);
    } else {
        out.rows.insert(out.rows.end(), rest.begin(), rest.end());
    }
    return out;
}

}  // namespace sorvane::app
