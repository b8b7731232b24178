#include "history/unit_outage.h"

#include <set>

namespace sorvane::history {

namespace {

constexpr float kSlotsPerDayF = 2880.0f;

// The slots all of a unit's tested detectors miss, and how many it has.
struct UnitMissing {
    SlotMask all = SlotMask().set();
    int tested = 0;
    std::set<std::string> controllers;  // of a station's tested detectors

    void add(const SlotMask& missing) {
        all &= missing;
        ++tested;
    }
};

void addRuns(UnitOutage::Kind kind, const std::map<std::string, SlotMask>& units,
             std::vector<UnitOutage>& outages) {
    for (const auto& [unit, slots] : units) {
        for (int i = 0; i < kSlotsPerDay; ++i) {
            if (!slots[static_cast<size_t>(i)]) continue;
            if (!outages.empty() && outages.back().kind == kind && outages.back().unit == unit &&
                outages.back().lastSlot == i - 1) {
                outages.back().lastSlot = i;
            } else {
                outages.push_back({kind, unit, i, i});
            }
        }
    }
}

}  // namespace

SlotMask UnitSlots::controllerSlots(const std::string& controller) const {
    auto it = controllers.find(controller);
    return it == controllers.end() ? SlotMask() : it->second;
}

SlotMask UnitSlots::stationSlots(const std::string& station) const {
    auto it = stations.find(station);
    return it == stations.end() ? SlotMask() : it->second;
}

UnitSlots findUnitOutages(const Inventory& inventory, const std::vector<TestedMissing>& tested,
                          const SlotMask& feedSlots) {
    std::map<std::string, UnitMissing> controllers, stations;
    for (const TestedMissing& t : tested) {
        const InventoryRow* row = inventory.find(t.det);
        if (!row || row->abandoned) continue;
        if (!row->controller.empty()) controllers[row->controller].add(*t.missing);
        UnitMissing& station = stations[row->station];
        station.add(*t.missing);
        if (!row->controller.empty()) station.controllers.insert(row->controller);
    }
    UnitSlots units;
    for (const auto& [controller, unit] : controllers) {
        SlotMask slots = unit.all & ~feedSlots;
        if (unit.tested >= 2 && slots.any()) units.controllers.emplace(controller, slots);
    }
    for (const auto& [station, unit] : stations) {
        if (unit.tested < 2) continue;
        SlotMask slots = unit.all & ~feedSlots;
        for (const std::string& controller : unit.controllers)
            slots &= ~units.controllerSlots(controller);
        if (slots.any()) units.stations.emplace(station, slots);
    }
    addRuns(UnitOutage::Kind::Controller, units.controllers, units.outages);
    addRuns(UnitOutage::Kind::Station, units.stations, units.outages);
    return units;
}

bool owedToSkippedSlots(const DetectorDayRecord& row, const SlotMask& missing,
                        const VolumeBytes* vol, const modBaddet::HealthSnapshot& snapshot,
                        const SlotMask& skip) {
    using modBaddet::DecisionStep;
    using modBaddet::HealthClass;
    if (row.healthClass != HealthClass::High && row.healthClass != HealthClass::Susp) return false;
    if (!row.measures) return false;
    if (row.step == DecisionStep::Missing) {
        int own = row.measures->missingCount - static_cast<int>((missing & skip).count());
        return static_cast<float>(own) / kSlotsPerDayF < snapshot.missingFraction;
    }
    if (row.step == DecisionStep::ZeroRun && vol) {
        return static_cast<float>(zeroRunCountSkipping(*vol, skip, snapshot.zeroRunSlots)) <
               snapshot.zeroRunSlots;
    }
    return false;
}

}  // namespace sorvane::history
