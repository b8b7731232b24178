#include "archive/impute.h"

namespace sorvane::modImpute {

namespace {

constexpr int kFirstHourSlots = 120;
constexpr int16_t kMaxPlausibleVolume = 40;
constexpr int16_t kMissingByte = 255;

}  // namespace

void imputeDay(const DetectorDay& source, DetectorDay& target) {
    target = source;
    for (int i = 0; i < kSlotsPerDay; ++i) {
        const DetSlot& s = source[static_cast<size_t>(i)];
        DetSlot& t = target[static_cast<size_t>(i)];
        // In the first hour only the missing marker 255 is implausible; from 01:00:00 on (slot
        // 120 included) any volume above 40 per thirty seconds is.
        bool badVolume = i < kFirstHourSlots ? s.vol == kMissingByte : s.vol > kMaxPlausibleVolume;
        if (badVolume || s.occ < 0.0f || s.occ > 100.0f) {
            t.vol = -1;
            t.occ = -1.0f;
        } else if (s.vol == 0 && s.occ != 100.0f) {
            t.occ = 0.0f;
        }
    }
}

}  // namespace sorvane::modImpute
