#pragma once

#include <array>
#include <bitset>
#include <vector>

#include "archive/detector_day.h"
#include "health/health_snapshot.h"
#include "history/ledger_record.h"

namespace sorvane::history {

using SlotMask = std::bitset<kSlotsPerDay>;

// Fewer tested detectors than this cannot tell an outage of the feed from faults of their own.
constexpr int kMinTestedForOutage = 10;
constexpr double kDefaultOutageShare = 0.9;

// A day's feed-outage slots and their maximal runs.
struct DayOutages {
    SlotMask outageSlots;  // not "slots", which Qt takes for a keyword
    std::vector<FeedOutage> outages;
};

// Counts, slot by slot, how many of a day's tested detectors (readable, not excluded, each
// once) miss the slot.
class MissingSlots {
  public:
    // Adds a tested detector's day and returns its missing slots (volume byte 128 or more, the
    // health test's rule).
    SlotMask add(const VolumeBytes& vol);
    int tested() const { return tested_; }

    // The slots that at least the share `share` of the tested detectors miss, when at least
    // kMinTestedForOutage were tested.
    DayOutages outages(double share) const;

  private:
    std::array<int, kSlotsPerDay> counts_{};
    int tested_ = 0;
};

// The health test's zero-run count with the slots of `skip` left out: such a slot neither adds
// to a run nor breaks it.
int zeroRunCountSkipping(const VolumeBytes& vol, const SlotMask& skip, float zeroRunSlots);

// To whom a measured detector-day's verdict is owed. `row` carries its class, step, measures
// and outageMissing; `zeroRunOutsideOutage` is zeroRunCountSkipping over the day's outage slots
// (looked at only for the zero_run step).
Attribution attributionOf(const DetectorDayRecord& row, const modBaddet::HealthSnapshot& snapshot,
                          int zeroRunOutsideOutage);

}  // namespace sorvane::history
