#pragma once

#include <cstdint>
#include <string>

#include "common/error.h"
#include "health/health_parameters.h"

namespace sorvane::modBaddet {

// The twelve parameters of one health-test run, converted to the types the test computes in.
struct HealthSnapshot {
    float occSpikeTh = 0.0f;
    int16_t volSpikeTh = 0;
    int16_t occSpikeCountTh = 0;
    int16_t volSpikeCountTh = 0;
    float suspTh = 0.0f;
    float margTh = 0.0f;
    float missingFraction = 0.0f;  // MissingPercent / 100
    float zeroRunSlots = 0.0f;     // ConsecZeroVolMin (hours) * 120
    float lockOnSlots = 0.0f;      // LockOnMin (minutes) * 2
    double corCoeffTh = 0.0;
    int16_t detNoFrom = 0;
    int16_t detNoTo = 0;

    bool operator==(const HealthSnapshot&) const = default;
};

// A parameter text that the test cannot use. The description names the field by its caption
// on the parameter tab; `parameter` and `reason` let a caller name it another way (the command
// line names the settings key).
class HealthParameterError : public SorvaneError {
  public:
    HealthParameterError(HealthParam parameter, std::string reason);

    HealthParam parameter() const { return parameter_; }
    // What is wrong with the text, e.g. "must be a whole number from -32768 to 32767".
    const std::string& reason() const { return reason_; }

  private:
    HealthParam parameter_;
    std::string reason_;
};

// Converts the texts in the order the run reads its boxes. Throws HealthParameterError for the
// first text that is empty, not a number, or outside the range of its type.
HealthSnapshot takeHealthSnapshot(const HealthParameterTexts& texts);

}  // namespace sorvane::modBaddet
