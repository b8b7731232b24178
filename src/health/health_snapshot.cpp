#include "health/health_snapshot.h"

#include "common/numeric.h"

namespace sorvane::modBaddet {

namespace {

constexpr std::string_view kNotWhole = "must be a whole number from -32768 to 32767";
constexpr std::string_view kNotNumber = "must be a number";

std::string describe(HealthParam parameter, const std::string& reason) {
    return "The value of \"" + std::string(kHealthParameters[parameter].caption) + "\" " + reason +
           ".";
}

class Converter {
  public:
    explicit Converter(const HealthParameterTexts& texts) : texts_(texts) {}

    int16_t whole(HealthParam p) const {
        if (auto v = toInt16(texts_[p])) return *v;
        throw HealthParameterError(p, std::string(kNotWhole));
    }
    float single(HealthParam p) const {
        if (auto v = toFloat(texts_[p])) return *v;
        throw HealthParameterError(p, std::string(kNotNumber));
    }
    double dual(HealthParam p) const {
        if (auto v = toDouble(texts_[p])) return *v;
        throw HealthParameterError(p, std::string(kNotNumber));
    }

  private:
    const HealthParameterTexts& texts_;
};

}  // namespace

HealthParameterError::HealthParameterError(HealthParam parameter, std::string reason)
    : SorvaneError(kErrInvalidInput, describe(parameter, reason)),
      parameter_(parameter),
      reason_(std::move(reason)) {}

HealthSnapshot takeHealthSnapshot(const HealthParameterTexts& texts) {
    Converter convert(texts);
    HealthSnapshot s;
    // In the order a run reads the boxes, so the first bad one is the one reported.
    s.occSpikeTh = convert.single(kOccSpikeTh);
    s.volSpikeTh = convert.whole(kVolSpikeTh);
    s.occSpikeCountTh = convert.whole(kOccSpikeCountTh);
    s.volSpikeCountTh = convert.whole(kVolSpikeCountTh);
    s.suspTh = convert.single(kSuspTh);
    s.margTh = convert.single(kMargTh);
    s.missingFraction = convert.single(kMissingPercent) / 100.0f;
    s.zeroRunSlots = convert.single(kConsecZeroVolMin) * 120.0f;
    s.lockOnSlots = convert.single(kLockOnMin) * 2.0f;
    s.corCoeffTh = convert.dual(kCorCoeffTh);
    s.detNoFrom = convert.whole(kDetNoFrom);
    s.detNoTo = convert.whole(kDetNoTo);
    return s;
}

}  // namespace sorvane::modBaddet
