#include "health/health_classify.h"

namespace sorvane::modBaddet {

namespace {

constexpr float kSlotsPerDayF = 2880.0f;
constexpr double kPulseModeMargin = 0.0005;   // a coefficient that rounds to the threshold
constexpr double kHighOccVolumeLimit = 60.0;  // vehicles per five minutes
constexpr int16_t kOvercountMaxVol5 = 280;    // vehicles per five minutes
constexpr double kOvercountRatioLimit = 0.3;

// The decision table.
DecisionStep decide(const HealthMeasures& m, const HealthSnapshot& s) {
    using enum DecisionStep;
    if (static_cast<float>(m.missingCount) / kSlotsPerDayF >= s.missingFraction) return Missing;
    if (static_cast<float>(m.zeroRunCount) >= s.zeroRunSlots) return ZeroRun;
    if (static_cast<float>(m.lockOnCount) >= s.lockOnSlots) return LockOn;
    if (m.corrCoef + kPulseModeMargin >= s.corCoeffTh) return Pulse;
    if (m.occSpikeCount >= s.occSpikeCountTh) return OccSpikes;
    if (m.volSpikeCount >= s.volSpikeCountTh) return VolSpikes;
    if (m.volOnHighOcc > kHighOccVolumeLimit) return HighOccVol;
    if (m.maxVol5 > kOvercountMaxVol5) {
        if (overcountRatio(m) > kOvercountRatioLimit) return Overcount;
        if (m.devIndex >= s.suspTh) return OvercountDevIndex;
        return OvercountTransient;
    }
    if (m.devIndex >= s.suspTh) return HighDevIndex;
    if (m.devIndex >= s.margTh) return MidDevIndex;
    return Healthy;
}

}  // namespace

std::string_view healthClassLabel(HealthClass healthClass) {
    switch (healthClass) {
        case HealthClass::High:
            return "High";
        case HealthClass::Susp:
            return "Susp";
        case HealthClass::Marg:
            return "Marg";
        case HealthClass::Hlth:
            return "Hlth";
        case HealthClass::Excluded:
            return "Excluded";
    }
    return "";
}

std::string_view decisionStepName(DecisionStep step) {
    static constexpr std::string_view kNames[kDecisionStepCount] = {
        "missing",
        "zero_run",
        "lock_on",
        "pulse",
        "occ_spikes",
        "vol_spikes",
        "high_occ_vol",
        "overcount",
        "overcount_devindex",
        "overcount_transient",
        "high_devindex",
        "mid_devindex",
        "healthy",
        "unreadable",
        "excluded",
    };
    return kNames[static_cast<int>(step)];
}

HealthClass healthClassOf(DecisionStep step) {
    using enum HealthClass;
    static constexpr HealthClass kClasses[kDecisionStepCount] = {
        High,      // missing
        High,      // zero_run
        Susp,      // lock_on
        Susp,      // pulse
        Susp,      // occ_spikes
        Susp,      // vol_spikes
        Susp,      // high_occ_vol
        Susp,      // overcount
        Susp,      // overcount_devindex
        Susp,      // overcount_transient
        Susp,      // high_devindex
        Marg,      // mid_devindex
        Hlth,      // healthy
        High,      // unreadable
        Excluded,  // excluded
    };
    return kClasses[static_cast<int>(step)];
}

DetectorOutcome ClassifyDetector(int16_t det, const HealthMeasures& m,
                                 const HealthSnapshot& snapshot) {
    return {det, decide(m, snapshot), m};
}

DetectorOutcome ClassifyUnreadable(int16_t det) {
    return {det, DecisionStep::Unreadable, std::nullopt};
}

DetectorOutcome ClassifyExcluded(int16_t det) {
    return {det, DecisionStep::Excluded, std::nullopt};
}

}  // namespace sorvane::modBaddet
