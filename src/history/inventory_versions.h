#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/inventory.h"

namespace sorvane::history {

// An import valid from every date is stored as valid from this one.
constexpr std::string_view kEveryDate = "0001-01-01";

// A whole inventory as it was imported, valid from a date on.
struct InventoryVersion {
    std::string validFrom;  // YYYY-MM-DD
    Inventory inventory;
};

// The inventory versions a ledger holds, in order of their valid_from: the network as it changed.
class InventoryVersions {
  public:
    InventoryVersions() = default;
    explicit InventoryVersions(std::vector<InventoryVersion> versions);

    bool empty() const { return versions_.empty(); }
    const std::vector<InventoryVersion>& all() const { return versions_; }

    // The latest version whose valid_from is on or before `date`; null when none is in force.
    const InventoryVersion* versionOn(std::string_view date) const;
    const Inventory* inForce(std::string_view date) const {
        const InventoryVersion* v = versionOn(date);
        return v ? &v->inventory : nullptr;
    }

  private:
    std::vector<InventoryVersion> versions_;
};

// Which detectors a report narrows to: those of the inventory in force whose station, corridor
// and lane type are the ones asked for (an option not given matches all). Without any option
// every detector matches; with one, a detector the inventory lacks matches none.
struct NetworkFilter {
    std::string station;
    std::string corridor;
    std::optional<LaneType> laneType;

    bool any() const { return !station.empty() || !corridor.empty() || laneType.has_value(); }
    bool matches(const Inventory* inventory, int16_t det) const;
};

// The network columns of a CSV row: "station,lane,lane_type,corridor", empty where no inventory
// is in force or it has no row for the detector; fields quoted as RFC 4180 wants.
std::string networkColumns(const Inventory* inventory, int16_t det);

// The inventory as an inventory CSV (every column, in the documented order; CR LF line ends),
// which imports again as the same inventory.
std::string inventoryCsv(const Inventory& inventory);

// One line per detector: "det, station, lane, lane_type, corridor, controller, abandoned" under
// that header; "\n" line ends.
std::string inventoryText(const Inventory& inventory);

// A text as a CSV field: quoted when it holds a comma, a quote or a line end.
std::string csvField(std::string_view text);

}  // namespace sorvane::history
