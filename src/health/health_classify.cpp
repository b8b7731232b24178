#include "health/health_classify.h"

#include "common/format.h"

namespace sorvane::modBaddet {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr float kSlotsPerDayF = 2880.0f;
constexpr float kZeroRunSpanSlots = 2400.0f;  // 04:00 to midnight
constexpr double kPulseModeMargin = 0.0005;   // a coefficient that rounds to the threshold
constexpr double kHighOccVolumeLimit = 60.0;  // vehicles per five minutes
constexpr int16_t kOvercountMaxVol5 = 280;    // vehicles per five minutes
constexpr double kOvercountRatioLimit = 0.3;

std::string whole(float value) {
    return formatNumber(value, NumberPattern::Whole);
}
std::string oneDecimal(double value) {
    return formatNumber(value, NumberPattern::OneDecimal);
}
std::string fourDecimals(double value) {
    return formatNumber(value, NumberPattern::FourDecimals);
}

float missingPercent(const HealthMeasures& m) {
    return static_cast<float>(m.missingCount) * 100.0f / kSlotsPerDayF;
}
float zeroRunPercent(const HealthMeasures& m) {
    return static_cast<float>(m.zeroRunCount) * 100.0f / kZeroRunSpanSlots;
}
double overcountPercent(const HealthMeasures& m) {
    return overcountRatio(m) * 100.0;
}

struct Decision {
    DecisionStep step;
    HealthClass healthClass;
    std::string listTail;  // the list line after the detector number
    std::string_view reason;
};

// The decision table: the first test that holds decides.
Decision decide(const HealthMeasures& m, const HealthSnapshot& s) {
    using enum HealthClass;
    if (static_cast<float>(m.missingCount) / kSlotsPerDayF >= s.missingFraction) {
        return {DecisionStep::Missing, High, ", " + whole(missingPercent(m)) + "% missing",
                "HIGHLY SUSPICIOUS (due to Missing Data),Possible Comm Fail/Det Fail/Construction"};
    }
    if (static_cast<float>(m.zeroRunCount) >= s.zeroRunSlots) {
        return {DecisionStep::ZeroRun, High, ", " + whole(zeroRunPercent(m)) + "% zero/invalid",
                " HIGHLY SUSPICIOUS (due to consecutive zero/invalid volume Data),Possible Comm "
                "Fail/Det Fail/Construction"};
    }
    if (static_cast<float>(m.lockOnCount) >= s.lockOnSlots) {
        return {DecisionStep::LockOn, Susp,
                ", " + std::to_string(m.lockOnCount) + "slots Locked On, Susp",
                " SUSPICIOUS (due to LockOn)"};
    }
    if (m.corrCoef + kPulseModeMargin >= s.corCoeffTh) {
        return {DecisionStep::Pulse, Susp,
                ", Cor Coef=" + fourDecimals(m.corrCoef) + ", Pulse Mode, Susp",
                " SUSPICIOUS (due to Pulse Mode)"};
    }
    if (m.occSpikeCount >= s.occSpikeCountTh) {
        return {DecisionStep::OccSpikes, Susp,
                ", " + std::to_string(m.occSpikeCount) + " Occ spikes, Susp",
                " SUSPICIOUS (due to Occ Spikes)"};
    }
    if (m.volSpikeCount >= s.volSpikeCountTh) {
        return {DecisionStep::VolSpikes, Susp,
                ", " + std::to_string(m.volSpikeCount) + " Vol spikes, Susp",
                " SUSPICIOUS (due to Vol Spikes)"};
    }
    if (m.volOnHighOcc > kHighOccVolumeLimit) {
        return {DecisionStep::HighOccVol, Susp, ", HighOcc AbnormVol, Susp",
                "SUSPICIOUS (due to Abnormal High Occ), Possible Controller or Detector Error\r\n"};
    }
    if (m.maxVol5 > kOvercountMaxVol5) {
        if (overcountRatio(m) > kOvercountRatioLimit) {
            return {DecisionStep::Overcount, Susp, ", OverCnt, Susp",
                    "SUSPICIOUS (due to Overcount Problems)"};
        }
        if (m.devIndex >= s.suspTh) {
            return {DecisionStep::OvercountDevIndex, Susp, ", OverCnt, High DevIndex, Susp",
                    "SUSPICIOUS (due to Overcount and High DevIndex)"};
        }
        return {DecisionStep::OvercountTransient, Susp, ", OverCnt, Transient, Susp",
                "SUSPICIOUS (due to Overcount and Transient Problem)"};
    }
    if (m.devIndex >= s.suspTh) {
        return {DecisionStep::HighDevIndex, Susp, ", High DevIndex, Susp",
                "SUSPICIOUS (due to Abnormal Pattern, High DevIndex)"};
    }
    if (m.devIndex >= s.margTh) {
        return {DecisionStep::MidDevIndex, Marg, ", Mid DevIndex, Marginal",
                "MARGINAL (due to Mid DevIndex) "};
    }
    return {DecisionStep::Healthy, Hlth, "", "HEALTHY "};
}

void count(HealthClass healthClass, HealthTally& tally) {
    switch (healthClass) {
        case HealthClass::High:
            ++tally.highlySuspicious;
            break;
        case HealthClass::Susp:
            ++tally.suspicious;
            break;
        case HealthClass::Marg:
            ++tally.marginal;
            break;
        case HealthClass::Hlth:
            ++tally.healthy;
            break;
        case HealthClass::Excluded:
            ++tally.excluded;
            break;
    }
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

std::string DetectorOutcome::DetectorBlock() const {
    std::string block = std::to_string(det);
    block += ": ";
    block += reason;
    block += kCrLf;
    block += measuresText;
    return block;
}

std::string measuresText(const HealthMeasures& m) {
    std::string text;
    text += "     Missing = " + whole(missingPercent(m)) + "%";
    text += ", Consec Zero Vol = " + whole(zeroRunPercent(m)) + "%";
    text += ", Slots locked = " + std::to_string(m.lockOnCount);
    text += ", Corr Coef = " + fourDecimals(m.corrCoef) + ",";
    text += kCrLf;
    text += "     Occupancy Spike Count = " + std::to_string(m.occSpikeCount);
    text += ", Volume Spike Count = " + std::to_string(m.volSpikeCount);
    text += ", Deviation Index = " + oneDecimal(m.devIndex) + ",";
    text += kCrLf;
    text += "     Vol on high Occ = " + oneDecimal(m.volOnHighOcc);
    text += ", Overcount = " + oneDecimal(overcountPercent(m)) + " %";
    text += kCrLf;
    text += kCrLf;
    return text;
}

DetectorOutcome ClassifyDetector(int16_t det, const HealthMeasures& m,
                                 const HealthSnapshot& snapshot, HealthTally& tally) {
    Decision d = decide(m, snapshot);
    count(d.healthClass, tally);
    DetectorOutcome outcome;
    outcome.det = det;
    outcome.healthClass = d.healthClass;
    outcome.step = d.step;
    outcome.reason = d.reason;
    if (d.healthClass != HealthClass::Hlth) outcome.listLine = std::to_string(det) + d.listTail;
    outcome.measuresText = measuresText(m);
    outcome.measures = m;
    return outcome;
}

DetectorOutcome ClassifyUnreadable(int16_t det, HealthTally& tally) {
    count(HealthClass::High, tally);
    DetectorOutcome outcome;
    outcome.det = det;
    outcome.healthClass = HealthClass::High;
    outcome.step = DecisionStep::Unreadable;
    outcome.reason = "Highly Suspicious (No Occupancy Data)";
    outcome.listLine = std::to_string(det) + "," + " (no occ data)";
    return outcome;
}

DetectorOutcome ClassifyExcluded(int16_t det, HealthTally& tally) {
    count(HealthClass::Excluded, tally);
    DetectorOutcome outcome;
    outcome.det = det;
    outcome.healthClass = HealthClass::Excluded;
    outcome.step = DecisionStep::Excluded;
    outcome.measuresText = "Detector Excluded From Testing";
    return outcome;
}

void AppendToSections(HealthTally& tally, const DetectorOutcome& outcome) {
    switch (outcome.healthClass) {
        case HealthClass::High:
            tally.highSection += outcome.DetectorBlock();
            break;
        case HealthClass::Susp:
            tally.suspSection += outcome.DetectorBlock();
            break;
        case HealthClass::Marg:
            tally.margSection += outcome.DetectorBlock();
            break;
        case HealthClass::Hlth:
        case HealthClass::Excluded:
            break;
    }
}

}  // namespace sorvane::modBaddet
