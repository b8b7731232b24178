#pragma once

#include <array>
#include <cstdint>

#include "archive/detector_day.h"
#include "health/health_snapshot.h"

namespace sorvane::modBaddet {

// The eleven measures of one tested detector; every one starts from zero for each detector.
struct HealthMeasures {
    int16_t missingCount = 0;    // slots with an invalid volume
    int16_t zeroRunCount = 0;    // zero/invalid volume slots after 04:00, latched
    int16_t lockOnCount = 0;     // slots at exactly 100 % occupancy, latched
    double corrCoef = 0.0;       // volume against occupancy
    int16_t occSpikeCount = 0;   // occupancy spikes above the height threshold
    int16_t volSpikeCount = 0;   // volume spikes above the height threshold
    float devIndex = 0.0f;       // scatter of five-minute volumes at equal occupancy
    float volOnHighOcc = 0.0f;   // mean five-minute volume at 85 % occupancy and more
    int16_t maxVol5 = 0;         // largest five-minute volume with a usable occupancy
    int32_t overcountSlots = 0;  // slots with 20 vehicles or more
    double validVolSlots = 0.0;  // slots with a valid volume

    friend bool operator==(const HealthMeasures&, const HealthMeasures&) = default;
};

// The health test's own reading of a raw day, one array per field: a volume byte of 128 or
// more is invalid (-1), an occupancy above 100 % is invalid (-1.0); nothing is imputed.
struct HealthWorkingDay {
    std::array<int16_t, kSlotsPerDay> vol;
    std::array<float, kSlotsPerDay> occ;
    // vol != -1 and occ != -1.0, worked out once for all the passes.
    std::array<uint8_t, kSlotsPerDay> volValid;
    std::array<uint8_t, kSlotsPerDay> occValid;
};

HealthWorkingDay healthWorkingDay(const VolumeBytes& vol, const Occupancies& occ);

// Measures one extracted, not excluded detector. A fixed number of passes over the day's
// slots, its 288 five-minute bins and the 101 occupancy entries; nothing is allocated.
HealthMeasures ComputeHealthMeasures(const VolumeBytes& vol, const Occupancies& occ,
                                     const HealthSnapshot& snapshot);

// The overcount ratio: OvercountSlots / ValidVolSlots, 0 for a detector without any valid
// volume slot.
double overcountRatio(const HealthMeasures& m);

}  // namespace sorvane::modBaddet
