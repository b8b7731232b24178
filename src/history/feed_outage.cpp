#include "history/feed_outage.h"

#include <algorithm>

namespace sorvane::history {

namespace {

constexpr int kFirstMissingByte = 128;     // the high bit: isMissing also reads OR-ed bytes
constexpr int kLastIgnoredZeroSlot = 480;  // the health test counts zero runs from 04:00:30
constexpr float kSlotsPerDayF = 2880.0f;

bool isMissing(uint8_t volume) {
    return volume >= kFirstMissingByte;
}

}  // namespace

SlotMask MissingSlots::add(const VolumeBytes& vol) {
    ++tested_;
    SlotMask missing;
    // Most detectors miss nothing: one quick look at the high bits settles that.
    uint8_t highBits = 0;
    for (uint8_t v : vol)
        highBits |= v;
    if (!isMissing(highBits)) return missing;
    for (size_t i = 0; i < kSlotsPerDay; ++i) {
        if (!isMissing(vol[i])) continue;
        ++counts_[i];
        missing.set(i);
    }
    return missing;
}

DayOutages MissingSlots::outages(double share) const {
    DayOutages day;
    if (tested_ < kMinTestedForOutage) return day;
    for (size_t i = 0; i < kSlotsPerDay; ++i) {
        double slotShare = static_cast<double>(counts_[i]) / tested_;
        if (!(slotShare >= share)) continue;
        day.outageSlots.set(i);
        auto slot = static_cast<int>(i);
        if (!day.outages.empty() && day.outages.back().lastSlot == slot - 1) {
            FeedOutage& run = day.outages.back();
            run.lastSlot = slot;
            run.share = std::min(run.share, slotShare);
        } else {
            day.outages.push_back({slot, slot, slotShare});
        }
    }
    return day;
}

int zeroRunCountSkipping(const VolumeBytes& vol, const SlotMask& skip, float zeroRunSlots) {
    int count = 0;
    for (size_t i = kLastIgnoredZeroSlot + 1; i < kSlotsPerDay; ++i) {
        if (skip[i]) continue;
        if (vol[i] == 0 || isMissing(vol[i])) {
            ++count;
        } else if (static_cast<float>(count) < zeroRunSlots) {
            count = 0;  // a run that has not reached the threshold ends; a longer one stays
        }
    }
    return count;
}

Attribution attributionOf(const DetectorDayRecord& row, const modBaddet::HealthSnapshot& snapshot,
                          int zeroRunOutsideOutage) {
    using modBaddet::DecisionStep;
    using modBaddet::HealthClass;
    if (row.healthClass != HealthClass::High && row.healthClass != HealthClass::Susp)
        return Attribution::None;
    if (row.measures && row.outageMissing) {
        int ownMissing = row.measures->missingCount - *row.outageMissing;
        if (row.step == DecisionStep::Missing &&
            static_cast<float>(ownMissing) / kSlotsPerDayF < snapshot.missingFraction) {
            return Attribution::FeedOutage;
        }
        if (row.step == DecisionStep::ZeroRun &&
            static_cast<float>(zeroRunOutsideOutage) < snapshot.zeroRunSlots) {
            return Attribution::FeedOutage;
        }
    }
    return Attribution::Detector;
}

}  // namespace sorvane::history
