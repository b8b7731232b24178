#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "history/feed_outage.h"
#include "history/inventory.h"

namespace sorvane::history {

// A tested detector of the day (readable, not excluded, each once) and its missing slots.
struct TestedMissing {
    int16_t det = 0;
    const SlotMask* missing = nullptr;
};

// A day's controller and station outages: the slots that all tested detectors of a unit miss.
// A unit's tested detectors are those of the inventory that are tested and not abandoned; a unit
// needs at least 2 of them. A controller-outage slot is no feed-outage slot; a station-outage slot
// is neither a feed-outage slot nor a controller-outage slot of a controller that holds one of the
// station's tested detectors (a controller outage explains its stations).
struct UnitSlots {
    std::map<std::string, SlotMask> controllers;  // units without an outage slot left out
    std::map<std::string, SlotMask> stations;
    // The maximal runs: the controllers', then the stations', each by identifier and time.
    std::vector<UnitOutage> outages;

    // The outage slots of a unit; none for a unit without.
    SlotMask controllerSlots(const std::string& controller) const;
    SlotMask stationSlots(const std::string& station) const;
};

UnitSlots findUnitOutages(const Inventory& inventory, const std::vector<TestedMissing>& tested,
                          const SlotMask& feedSlots);

// Whether a measured High or Susp detector-day decided by missing data or a zero run would not
// have been decided so with the slots of `skip` left out: its missing slots outside them stay
// below MissingPercent, or its zero run counted again without them stays below the zero-run
// threshold. `vol` is the day's volumes (needed for the zero_run step only).
bool owedToSkippedSlots(const DetectorDayRecord& row, const SlotMask& missing,
                        const VolumeBytes* vol, const modBaddet::HealthSnapshot& snapshot,
                        const SlotMask& skip);

}  // namespace sorvane::history
