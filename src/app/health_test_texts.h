#pragma once

#include <string>
#include <string_view>

#include "health/health_classify.h"
#include "health/health_run.h"
#include "health/health_snapshot.h"

namespace sorvane::app {

// What the "Det Health Test" tab says beside "Processing Done", and the hint under a parameter
// that cannot be used: texts of the window, not of the reports.

inline constexpr std::string_view kMsgFactoryValuesHint =
    "\"Restore Factory Default Parameters\" on the \"Det Health Param\" tab fills in the "
    "factory values.";

// The message for a parameter box that cannot be used: the reason, then the hint above.
inline std::string unusableParameterText(std::string_view reason) {
    return std::string(reason) + "\r\n" + std::string(kMsgFactoryValuesHint);
}

// A single detector's outcome: its list line ("312, 20% missing"), "312: Good Detector", or
// "312: Excluded from testing (300 <= Detector # <= 400)".
std::string outcomeText(const modBaddet::DetectorOutcome& outcome,
                        const modBaddet::HealthSnapshot& snapshot);

// The counts of a run over all detectors, the excluded ones included: "5000 detectors: 12
// highly suspicious, 40 suspicious, 30 marginal, 4900 healthy, 18 excluded".
std::string runCountsText(const modBaddet::HealthRunResult& result);

}  // namespace sorvane::app
