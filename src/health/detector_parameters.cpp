#include "health/detector_parameters.h"

namespace sorvane::modBaddet {

namespace {

std::string detectorsText(int count) {
    return std::to_string(count) + (count == 1 ? " detector" : " detectors");
}

}  // namespace

DetectorParameters::DetectorParameters(const HealthSnapshot& base)
    : base_(base), choice_(size_t{1} << 16, 0) {}

void DetectorParameters::assign(OtherSet set, std::span<const int16_t> dets) {
    set.snapshot.detNoFrom = base_.detNoFrom;
    set.snapshot.detNoTo = base_.detNoTo;
    uint8_t index = 0;
    if (!(set.snapshot == base_)) {
        others_.push_back(std::move(set));
        index = static_cast<uint8_t>(others_.size());
    }
    for (int16_t det : dets)
        choice_[slotOf(det)] = index;
}

std::string ParametersBlock(const DetectorParameters& parameters,
                            std::span<const DetectorOutcome> outcomes) {
    if (!parameters.hasOtherSets()) return {};
    std::vector<int> counts(parameters.otherSets().size() + 1, 0);
    for (const DetectorOutcome& outcome : outcomes)
        if (outcome.step != DecisionStep::Excluded) ++counts[parameters.setOf(outcome.det)];
    bool anyOther = false;
    for (size_t k = 1; k < counts.size(); ++k)
        anyOther = anyOther || counts[k] > 0;
    if (!anyOther) return {};
    std::string out = "PARAMETERS BY LANE TYPE\r\n";
    for (size_t k = 1; k < counts.size(); ++k) {
        if (counts[k] == 0) continue;
        const DetectorParameters::OtherSet& set = parameters.otherSets()[k - 1];
        out += set.name + ": " + detectorsText(counts[k]) + ": ";
        for (size_t i = 0; i < kDetNoFrom; ++i) {
            out += i == 0 ? "" : ", ";
            out += std::string(kHealthParameters[i].key) + "=" + set.texts[i];
        }
        out += "\r\n";
    }
    out += "[Param]: " + detectorsText(counts[0]) + "\r\n";
    return out;
}

}  // namespace sorvane::modBaddet
