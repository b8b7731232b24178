#include "health/health_measures.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sorvane::modBaddet {

namespace {

constexpr int kSlots = kSlotsPerDay;
constexpr int kSlotsPerBin = 10;
constexpr int kBins = kSlots / kSlotsPerBin;  // five-minute bins
constexpr int kEntries = 101;                 // occupancy profile: whole percents 0..100
constexpr int kLastIgnoredZeroSlot = 480;     // zero runs count from 04:00:30 on
constexpr int kLowGroupLast = 19;             // deviation index: entries 0..19 weigh 0.7
constexpr int kHighOccFirst = 85;             // volume on high occupancy: entries 85..100
constexpr int16_t kOvercountVolume = 20;      // vehicles in thirty seconds

bool validVol(int16_t v) {
    return v != -1;
}
bool validOcc(float o) {
    return o != -1.0f;
}

// Missing slots, the zero/invalid volume run after 04:00 and the run at full occupancy. Both
// runs latch once they reach their threshold: later slots only add to them.
void countMissingAndRuns(const DetectorDay& day, const HealthSnapshot& s, HealthMeasures& m) {
    for (int i = 0; i < kSlots; ++i) {
        const DetSlot& slot = day[static_cast<size_t>(i)];
        if (slot.vol < 0) ++m.missingCount;
        if (slot.vol <= 0) {
            if (i > kLastIgnoredZeroSlot) ++m.zeroRunCount;
        } else if (static_cast<float>(m.zeroRunCount) < s.zeroRunSlots) {
            m.zeroRunCount = 0;
        }
        if (slot.occ == 100.0f) {
            ++m.lockOnCount;
        } else if (static_cast<float>(m.lockOnCount) < s.lockOnSlots) {
            m.lockOnCount = 0;
        }
    }
}

// Pearson coefficient of volume against occupancy over the slots where both are valid. A
// constant occupancy that a float cannot hold exactly leaves a tiny B instead of 0: such a B,
// like any B or A not above zero, gives 0.
double correlation(const DetectorDay& day) {
    double n = 0.0, sv = 0.0, so = 0.0, svv = 0.0, soo = 0.0, svo = 0.0;
    for (const DetSlot& slot : day) {
        if (!validVol(slot.vol) || !validOcc(slot.occ)) continue;
        n += 1.0;
        sv += slot.vol;
        so += slot.occ;
        svv += static_cast<int16_t>(slot.vol * slot.vol);
        soo += slot.occ * slot.occ;
        svo += static_cast<float>(slot.vol) * slot.occ;
    }
    double a = n * svv - sv * sv;
    double b = n * soo - so * so;
    if (!(a > 0.0) || !(b > 0.0) || std::fabs(b) <= 1e-6 * n * soo) return 0.0;
    return (n * svo - sv * so) / std::sqrt(a) / std::sqrt(b);
}

// Spikes of slots 1..2878 against both neighbours; a slot next to an invalid one has none.
void countSpikes(const DetectorDay& day, const HealthSnapshot& s, HealthMeasures& m) {
    for (size_t i = 1; i + 1 < day.size(); ++i) {
        const DetSlot& before = day[i - 1];
        const DetSlot& slot = day[i];
        const DetSlot& after = day[i + 1];
        if (validOcc(before.occ) && validOcc(slot.occ) && validOcc(after.occ)) {
            double d1 = static_cast<double>(slot.occ) - before.occ;
            double d2 = static_cast<double>(slot.occ) - after.occ;
            auto height = static_cast<float>(std::sqrt((d1 * d1 + d2 * d2) / 2.0));
            if (height > s.occSpikeTh) ++m.occSpikeCount;
        }
        if (validVol(before.vol) && validVol(slot.vol) && validVol(after.vol)) {
            auto d1 = static_cast<int16_t>(slot.vol - before.vol);
            auto d2 = static_cast<int16_t>(slot.vol - after.vol);
            auto squares = static_cast<int16_t>(d1 * d1 + d2 * d2);  // at most 2 * 127 * 127
            // nearbyint rounds halves to even.
            auto height = static_cast<int16_t>(std::nearbyint(std::sqrt(squares / 2.0)));
            if (height > s.volSpikeTh) ++m.volSpikeCount;
        }
    }
}

struct Bin {
    int16_t vol = 0;   // sum of the valid volumes
    float occ = 0.0f;  // mean of the valid occupancies, 0 without any
};

// Five-minute bins; counts the valid volume slots and the slots with 20 vehicles or more.
std::array<Bin, kBins> fiveMinuteBins(const DetectorDay& day, HealthMeasures& m) {
    std::array<Bin, kBins> bins{};
    for (int k = 0; k < kBins; ++k) {
        int16_t volSum = 0;
        float occSum = 0.0f;
        int16_t occCount = 0;
        for (int j = 0; j < kSlotsPerBin; ++j) {
            const DetSlot& slot = day[static_cast<size_t>(k * kSlotsPerBin + j)];
            if (validVol(slot.vol)) {
                volSum = static_cast<int16_t>(volSum + slot.vol);
                m.validVolSlots += 1.0;
            }
            if (validOcc(slot.occ)) {
                occSum += slot.occ;
                ++occCount;
            }
            if (slot.vol >= kOvercountVolume) ++m.overcountSlots;
        }
        bins[static_cast<size_t>(k)] = {volSum, occSum / (occCount == 0 ? 1 : occCount)};
    }
    return bins;
}

// One whole percent of occupancy: the five-minute volumes whose mean occupancy rounds to it.
struct ProfileEntry {
    double sum = 0.0;
    int16_t count = 0;
    double mean = 0.0;
    double squares = 0.0;  // sum of squared deviations from the mean
    float stdDev = 0.0f;
};

using Profile = std::array<ProfileEntry, kEntries>;

// The entry of a bin, or -1 for a bin with a negative occupancy (which the profile skips).
int entryOf(const Bin& bin) {
    if (bin.occ < 0.0f) return -1;
    int b = static_cast<int>(std::nearbyint(bin.occ));  // halves to even
    return b < kEntries ? b : -1;  // a mean of occupancies up to 100 never rounds above 100
}

// Builds the occupancy profile and finds MaxVol5. Each entry takes its bins in bin order, so the
// sums come out as if each entry kept its own list of volumes.
Profile occupancyProfile(const std::array<Bin, kBins>& bins, HealthMeasures& m) {
    Profile profile{};
    std::array<int, kBins> entry{};
    for (size_t k = 0; k < bins.size(); ++k) {
        entry[k] = entryOf(bins[k]);
        if (entry[k] < 0) continue;
        ProfileEntry& e = profile[static_cast<size_t>(entry[k])];
        e.sum += bins[k].vol;
        ++e.count;
        m.maxVol5 = std::max(m.maxVol5, bins[k].vol);
    }
    for (ProfileEntry& e : profile) {
        e.mean = e.sum > 0.0 && e.count != 0 ? e.sum / e.count : e.sum;
    }
    for (size_t k = 0; k < bins.size(); ++k) {
        if (entry[k] < 0) continue;
        ProfileEntry& e = profile[static_cast<size_t>(entry[k])];
        double d = bins[k].vol - e.mean;
        e.squares += d * d;
    }
    for (ProfileEntry& e : profile) {
        double variance = e.squares > 0.0 && e.count != 0 ? e.squares / e.count : 0.0;
        e.stdDev = variance == 0.0 ? 0.0f : static_cast<float>(std::sqrt(variance));
    }
    return profile;
}

// The mean standard deviation of the entries that scatter by more than one vehicle, weighting
// occupancies below 20 % by 0.7 and the others by 0.3.
float deviationIndex(const Profile& profile) {
    double lowSum = 0.0, highSum = 0.0;
    int lowCount = 0, highCount = 0;
    for (int b = 0; b < kEntries; ++b) {
        float sd = profile[static_cast<size_t>(b)].stdDev;
        if (!(sd > 1.0f)) continue;
        if (b <= kLowGroupLast) {
            lowSum += sd;
            ++lowCount;
        } else {
            highSum += sd;
            ++highCount;
        }
    }
    double index = 0.0;
    if (lowCount > 0 && highCount > 0) {
        index = 0.7 * (lowSum / lowCount) + 0.3 * (highSum / highCount);
    } else if (lowCount > 0) {
        index = lowSum / lowCount;
    } else if (highCount > 0) {
        index = highSum / highCount;
    }
    return static_cast<float>(index);
}

// Mean five-minute volume over entries 85..100; an entry without bins counts as 0.
float volumeOnHighOccupancy(const Profile& profile) {
    float sum = 0.0f;
    for (int b = kHighOccFirst; b < kEntries; ++b)
        sum += static_cast<float>(profile[static_cast<size_t>(b)].mean);
    return sum / static_cast<float>(kEntries - kHighOccFirst);
}

}  // namespace

DetectorDay healthWorkingDay(const VolumeBytes& vol, const Occupancies& occ) {
    DetectorDay day;
    for (size_t i = 0; i < day.size(); ++i) {
        day[i].vol = vol[i] < 128 ? static_cast<int16_t>(vol[i]) : int16_t{-1};
        day[i].occ = occ[i] <= 100.0f ? occ[i] : -1.0f;  // NaN, too, is invalid
    }
    return day;
}

HealthMeasures ComputeHealthMeasures(const VolumeBytes& vol, const Occupancies& occ,
                                     const HealthSnapshot& snapshot) {
    HealthMeasures m;
    const DetectorDay day = healthWorkingDay(vol, occ);
    countMissingAndRuns(day, snapshot, m);
    m.corrCoef = correlation(day);
    countSpikes(day, snapshot, m);
    Profile profile = occupancyProfile(fiveMinuteBins(day, m), m);
    m.devIndex = deviationIndex(profile);
    m.volOnHighOcc = volumeOnHighOccupancy(profile);
    return m;
}

double overcountRatio(const HealthMeasures& m) {
    return m.validVolSlots > 0.0 ? m.overcountSlots / m.validVolSlots : 0.0;
}

}  // namespace sorvane::modBaddet
