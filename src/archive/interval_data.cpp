#include "archive/interval_data.h"

namespace sorvane {

IntervalData aggregateDay(const DetectorDay& imputedDay, const IntervalSpec& interval,
                          MissingOption missing) {
    const int k = interval.slotsPerInterval;
    IntervalData data;
    data.values.resize(static_cast<size_t>(interval.intervalsPerDay));
    data.startSeconds.resize(static_cast<size_t>(interval.intervalsPerDay));
    for (int i = 0; i < interval.intervalsPerDay; ++i) {
        int16_t volume = 0;  // at most 120 slots of at most 255: no overflow
        float occupancySum = 0.0f;
        int validOccupancies = 0;
        for (int s = i * k; s < i * k + k; ++s) {
            const DetSlot& slot = imputedDay[static_cast<size_t>(s)];
            if (slot.vol != -1) volume = static_cast<int16_t>(volume + slot.vol);
            if (slot.occ != -1.0f) {
                occupancySum += slot.occ;
                ++validOccupancies;
            }
        }
        DetSlot& value = data.values[static_cast<size_t>(i)];
        value.vol =
            missing == MissingOption::SetToNegative && validOccupancies < k ? int16_t{-1} : volume;
        value.occ = occupancySum / static_cast<float>(validOccupancies == 0 ? 1 : validOccupancies);
        data.startSeconds[static_cast<size_t>(i)] = i * interval.secondsPerInterval;
    }
    return data;
}

}  // namespace sorvane
