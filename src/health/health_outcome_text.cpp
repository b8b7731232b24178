#include "health/health_outcome_text.h"

#include "common/format.h"

namespace sorvane::modBaddet {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr float kSlotsPerDayF = 2880.0f;
constexpr float kZeroRunSpanSlots = 2400.0f;  // 04:00 to midnight

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

// The list line after the detector number.
std::string listTail(DecisionStep step, const HealthMeasures& m) {
    switch (step) {
        case DecisionStep::Missing:
            return ", " + whole(missingPercent(m)) + "% missing";
        case DecisionStep::ZeroRun:
            return ", " + whole(zeroRunPercent(m)) + "% zero/invalid";
        case DecisionStep::LockOn:
            return ", " + std::to_string(m.lockOnCount) + "slots Locked On, Susp";
        case DecisionStep::Pulse:
            return ", Cor Coef=" + fourDecimals(m.corrCoef) + ", Pulse Mode, Susp";
        case DecisionStep::OccSpikes:
            return ", " + std::to_string(m.occSpikeCount) + " Occ spikes, Susp";
        case DecisionStep::VolSpikes:
            return ", " + std::to_string(m.volSpikeCount) + " Vol spikes, Susp";
        case DecisionStep::HighOccVol:
            return ", HighOcc AbnormVol, Susp";
        case DecisionStep::Overcount:
            return ", OverCnt, Susp";
        case DecisionStep::OvercountDevIndex:
            return ", OverCnt, High DevIndex, Susp";
        case DecisionStep::OvercountTransient:
            return ", OverCnt, Transient, Susp";
        case DecisionStep::HighDevIndex:
            return ", High DevIndex, Susp";
        case DecisionStep::MidDevIndex:
            return ", Mid DevIndex, Marginal";
        case DecisionStep::Unreadable:
            return std::string(",") + " (no occ data)";
        case DecisionStep::Healthy:
        case DecisionStep::Excluded:
            break;
    }
    return "";
}

}  // namespace

std::string_view reasonText(DecisionStep step) {
    static constexpr std::string_view kReasons[kDecisionStepCount] = {
        "HIGHLY SUSPICIOUS (due to Missing Data),Possible Comm Fail/Det Fail/Construction",
        " HIGHLY SUSPICIOUS (due to consecutive zero/invalid volume Data),Possible Comm Fail/Det "
        "Fail/Construction",
        " SUSPICIOUS (due to LockOn)",
        " SUSPICIOUS (due to Pulse Mode)",
        " SUSPICIOUS (due to Occ Spikes)",
        " SUSPICIOUS (due to Vol Spikes)",
        "SUSPICIOUS (due to Abnormal High Occ), Possible Controller or Detector Error\r\n",
        "SUSPICIOUS (due to Overcount Problems)",
        "SUSPICIOUS (due to Overcount and High DevIndex)",
        "SUSPICIOUS (due to Overcount and Transient Problem)",
        "SUSPICIOUS (due to Abnormal Pattern, High DevIndex)",
        "MARGINAL (due to Mid DevIndex) ",
        "HEALTHY ",
        "Highly Suspicious (No Occupancy Data)",
        "",  // an excluded detector has no reason
    };
    return kReasons[static_cast<int>(step)];
}

std::string ListLine(const DetectorOutcome& outcome) {
    if (outcome.step == DecisionStep::Healthy || outcome.step == DecisionStep::Excluded) return "";
    return std::to_string(outcome.det) +
           listTail(outcome.step, outcome.measures.value_or(HealthMeasures{}));
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
    text += ", Overcount = " + oneDecimal(overcountRatio(m) * 100.0) + " %";
    text += kCrLf;
    text += kCrLf;
    return text;
}

std::string measuresText(const DetectorOutcome& outcome) {
    if (outcome.step == DecisionStep::Excluded) return "Detector Excluded From Testing";
    return outcome.measures ? measuresText(*outcome.measures) : "";
}

std::string DetectorBlock(const DetectorOutcome& outcome) {
    std::string block = std::to_string(outcome.det);
    block += ": ";
    block += reasonText(outcome.step);
    block += kCrLf;
    block += measuresText(outcome);
    return block;
}

}  // namespace sorvane::modBaddet
