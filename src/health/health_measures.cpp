#include "health/health_measures.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <limits>

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

// The count at which a run latches: the smallest count n with n >= threshold, so that
// `count < latchAt` says the same as `float(count) < threshold` for every count of a day.
int latchAt(float threshold) {
    if (!(threshold > 0.0f)) return 0;
    if (threshold > static_cast<float>(kSlots)) return kSlots + 1;  // never within a day
    return static_cast<int>(std::ceil(threshold));
}

// The count of a run of slots that resets at a slot that breaks it until it reaches `latch`;
// from then on it is latched and every later slot that continues it adds to it. `continues`
// tells it of slot i, for slots first..kSlots-1. A day whose continuing slots are fewer than
// `latch` in all cannot latch: its count is that of the run it ends in, found from the end.
template <typename Continues>
int latchingRun(int first, int latch, const Continues& continues) {
    int total = 0;
    for (int i = first; i < kSlots; ++i)
        total += continues(i) ? 1 : 0;
    if (total < latch) {
        int start = kSlots;
        while (start > first && continues(start - 1))
            --start;
        return kSlots - start;
    }
    if (latch <= 0) return total;  // latched before the first slot
    int run = 0, seen = 0;
    for (int i = first; i < kSlots; ++i) {
        const bool c = continues(i);
        seen += c ? 1 : 0;
        run = c ? run + 1 : 0;
        if (run == latch) return latch + (total - seen);
    }
    return run;
}

// The sums of the Pearson coefficient of volume against occupancy, over the slots where both
// are valid. Whole-number sums are exact in a double, so they are kept as integers; a slot left
// out adds +0.0 to the others, which changes none of them (they are never -0.0).
class CorrelationSums {
  public:
    void add(bool both, int16_t vol, float occ) {
        int v = both ? vol : 0;
        float o = both ? occ : 0.0f;
        n_ += both ? 1 : 0;
        sv_ += v;
        svv_ += static_cast<int16_t>(v * v);
        so_ += o;
        soo_ += o * o;
        svo_ += static_cast<float>(v) * o;
    }

    // A constant occupancy that a float cannot hold exactly leaves a tiny B instead of 0: such
    // a B, like any B or A not above zero, gives 0. The single-precision products can carry a
    // perfectly linear day a hair past -1 or 1, which no coefficient can be.
    double coefficient() const {
        auto n = static_cast<double>(n_);
        auto sv = static_cast<double>(sv_);
        double a = n * static_cast<double>(svv_) - sv * sv;
        double b = n * soo_ - so_ * so_;
        if (!(a > 0.0) || !(b > 0.0) || std::fabs(b) <= 1e-6 * n * soo_) return 0.0;
        return std::clamp((n * svo_ - sv * so_) / std::sqrt(a) / std::sqrt(b), -1.0, 1.0);
    }

  private:
    int64_t n_ = 0, sv_ = 0, svv_ = 0;
    double so_ = 0.0, soo_ = 0.0, svo_ = 0.0;
};

struct Bin {
    int16_t vol = 0;   // sum of the valid volumes
    float occ = 0.0f;  // mean of the valid occupancies, 0 without any
};

using Bins = std::array<Bin, kBins>;

// The counts of the slots: missing, both runs and the overcount.
void slotCounts(const HealthWorkingDay& day, const HealthSnapshot& s, HealthMeasures& m) {
    int missing = 0, overcountSlots = 0;
    for (size_t i = 0; i < kSlots; ++i) {
        missing += day.volValid[i] ? 0 : 1;
        overcountSlots += day.vol[i] >= kOvercountVolume ? 1 : 0;
    }
    m.missingCount = static_cast<int16_t>(missing);
    m.validVolSlots = kSlots - missing;  // a whole count, exact as a double
    m.overcountSlots = overcountSlots;
    // Zero runs count from 04:00:30; before, a slot neither counts nor resets.
    m.zeroRunCount = static_cast<int16_t>(
        latchingRun(kLastIgnoredZeroSlot + 1, latchAt(s.zeroRunSlots),
                    [&day](int i) { return day.vol[static_cast<size_t>(i)] <= 0; }));
    m.lockOnCount = static_cast<int16_t>(latchingRun(0, latchAt(s.lockOnSlots), [&day](int i) {
        return day.occ[static_cast<size_t>(i)] == 100.0f;
    }));
}

// One pass over the slots, bin by bin: the correlation sums and the five-minute bins. The sums
// run in slot order, as the coefficient is defined; each bin's occupancy sum is a chain of its
// own, which the processor overlaps with theirs.
Bins binPass(const HealthWorkingDay& day, HealthMeasures& m) {
    Bins bins;
    CorrelationSums correlation;
    for (size_t k = 0; k < kBins; ++k) {
        int volSum = 0;
        float occSum = 0.0f;
        int occCount = 0;
        for (size_t i = k * kSlotsPerBin; i < (k + 1) * kSlotsPerBin; ++i) {
            const int16_t vol = day.vol[i];
            const float occ = day.occ[i];
            const bool volOk = day.volValid[i] != 0;
            const bool occOk = day.occValid[i] != 0;
            correlation.add(volOk && occOk, vol, occ);
            volSum += volOk ? vol : 0;
            // Adding +0.0 for an invalid occupancy leaves the sum as it is.
            occSum += occOk ? occ : 0.0f;
            occCount += occOk ? 1 : 0;
        }
        // At most ten volumes of 127: the sum fits 16 bits.
        bins[k] = {static_cast<int16_t>(volSum),
                   occSum / static_cast<float>(occCount == 0 ? 1 : occCount)};
    }
    m.corrCoef = correlation.coefficient();
    return bins;
}

// A slot is an occupancy spike when the root of the mean square difference to its neighbours
// exceeds the threshold (and the mean square reaches its square, for a non-negative one):
// a test that only grows with the mean square, so it holds exactly from the smallest mean square
// that passes it on. Found once by bisecting the non-negative doubles; NaN when none passes,
// which no comparison passes either.
double occupancySpikeFrom(float threshold) {
    const double bound = threshold >= 0.0f ? static_cast<double>(threshold) * threshold
                                           : -std::numeric_limits<double>::infinity();
    auto spike = [&](uint64_t bits) {
        const double meanSquare = std::bit_cast<double>(bits);
        return meanSquare >= bound && static_cast<float>(std::sqrt(meanSquare)) > threshold;
    };
    uint64_t low = 0, high = std::bit_cast<uint64_t>(std::numeric_limits<double>::infinity());
    if (!spike(high)) return std::numeric_limits<double>::quiet_NaN();
    while (low < high) {  // the first passing value lies in low..high
        const uint64_t middle = low + (high - low) / 2;
        if (spike(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return std::bit_cast<double>(low);
}

// The same for volumes, whose sum of squares is a whole number up to 2 * 127^2; one more than
// that when none passes. A height rounds half to even (nearbyint).
int volumeSpikeFrom(int16_t threshold) {
    constexpr int kMaxSquares = 2 * 127 * 127;
    const int bound = threshold >= 0 ? 2 * threshold * threshold : INT_MIN;
    auto spike = [&](int squares) {
        return squares >= bound &&
               static_cast<int16_t>(std::nearbyint(std::sqrt(squares / 2.0))) > threshold;
    };
    int low = 0, high = kMaxSquares + 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (spike(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

// Spikes of slots 1..2878 against both neighbours; a slot next to an invalid one has none.
void spikePass(const HealthWorkingDay& day, const HealthSnapshot& s, HealthMeasures& m) {
    const double occFrom = occupancySpikeFrom(s.occSpikeTh);
    const int volFrom = volumeSpikeFrom(s.volSpikeTh);
    const auto& occ = day.occ;
    const auto& vol = day.vol;
    // Two plain loops rather than one: each is simple enough for the compiler to vectorize.
    int occSpikes = 0;
    for (size_t i = 1; i + 1 < kSlots; ++i) {
        const bool occOk = (day.occValid[i - 1] & day.occValid[i] & day.occValid[i + 1]) != 0;
        const double o1 = static_cast<double>(occ[i]) - occ[i - 1];
        const double o2 = static_cast<double>(occ[i]) - occ[i + 1];
        occSpikes += (occOk & ((o1 * o1 + o2 * o2) / 2.0 >= occFrom)) ? 1 : 0;
    }
    // Valid volumes are 0..127, so both squares and their sum fit 16 bits, and sixteen-bit
    // lanes do: only a slot next to an invalid one (-1) can wrap, and it does not count.
    const auto volFrom16 = static_cast<int16_t>(volFrom);  // at most 2 * 127^2 + 1
    int16_t volSpikes = 0;
    for (size_t i = 1; i + 1 < kSlots; ++i) {
        const bool volOk = (day.volValid[i - 1] & day.volValid[i] & day.volValid[i + 1]) != 0;
        const auto v1 = static_cast<int16_t>(vol[i] - vol[i - 1]);
        const auto v2 = static_cast<int16_t>(vol[i] - vol[i + 1]);
        const auto squares = static_cast<int16_t>(v1 * v1 + v2 * v2);
        volSpikes = static_cast<int16_t>(volSpikes + ((volOk & (squares >= volFrom16)) ? 1 : 0));
    }
    m.occSpikeCount = static_cast<int16_t>(occSpikes);
    m.volSpikeCount = static_cast<int16_t>(volSpikes);
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
Profile occupancyProfile(const Bins& bins, HealthMeasures& m) {
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

HealthWorkingDay healthWorkingDay(const VolumeBytes& vol, const Occupancies& occ) {
    HealthWorkingDay day;
    for (size_t i = 0; i < vol.size(); ++i) {
        day.vol[i] = vol[i] < 128 ? static_cast<int16_t>(vol[i]) : int16_t{-1};
        day.occ[i] = occ[i] <= 100.0f ? occ[i] : -1.0f;  // NaN, too, is invalid
        day.volValid[i] = day.vol[i] != -1 ? 1 : 0;
        day.occValid[i] = day.occ[i] != -1.0f ? 1 : 0;
    }
    return day;
}

HealthMeasures ComputeHealthMeasures(const VolumeBytes& vol, const Occupancies& occ,
                                     const HealthSnapshot& snapshot) {
    HealthMeasures m;
    const HealthWorkingDay day = healthWorkingDay(vol, occ);
    slotCounts(day, snapshot, m);
    Bins bins = binPass(day, m);
    spikePass(day, snapshot, m);
    Profile profile = occupancyProfile(bins, m);
    m.devIndex = deviationIndex(profile);
    m.volOnHighOcc = volumeOnHighOccupancy(profile);
    return m;
}

double overcountRatio(const HealthMeasures& m) {
    return m.validVolSlots > 0.0 ? m.overcountSlots / m.validVolSlots : 0.0;
}

}  // namespace sorvane::modBaddet
