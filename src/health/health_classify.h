#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "health/health_measures.h"
#include "health/health_snapshot.h"

namespace sorvane::modBaddet {

enum class HealthClass { High, Susp, Marg, Hlth, Excluded };

// The short label of a class: "High", "Susp", "Marg", "Hlth" or "Excluded".
std::string_view healthClassLabel(HealthClass healthClass);

// The row of the decision table that decided a detector's class, plus the two cases decided
// before the table: a detector that could not be read and one in the excluded range.
enum class DecisionStep {
    Missing,
    ZeroRun,
    LockOn,
    Pulse,
    OccSpikes,
    VolSpikes,
    HighOccVol,
    Overcount,
    OvercountDevIndex,
    OvercountTransient,
    HighDevIndex,
    MidDevIndex,
    Healthy,
    Unreadable,
    Excluded,
};
constexpr int kDecisionStepCount = static_cast<int>(DecisionStep::Excluded) + 1;

// The step's stored name: "missing", "zero_run", ..., "unreadable", "excluded".
std::string_view decisionStepName(DecisionStep step);

// What the test decided for one detector.
struct DetectorOutcome {
    int16_t det = 0;
    HealthClass healthClass = HealthClass::Hlth;
    DecisionStep step = DecisionStep::Healthy;
    std::string reason;        // the long classification text
    std::string listLine;      // the result list's line; empty for healthy and excluded
    std::string measuresText;  // the report lines of the measures
    std::optional<HealthMeasures> measures;  // only for a detector that was measured

    // det ": " reason CR LF measures text: the detector's paragraph in the report.
    std::string DetectorBlock() const;
};

// The counters and report sections of one run.
struct HealthTally {
    int healthy = 0;
    int highlySuspicious = 0;
    int suspicious = 0;
    int marginal = 0;
    int excluded = 0;  // not in the report; the command line's summary shows it
    std::string highSection;
    std::string suspSection;
    std::string margSection;
};

// The three report lines of a measured detector, each ending in CR LF, plus one empty line.
std::string measuresText(const HealthMeasures& m);

// Applies the decision table to a measured detector and counts it.
DetectorOutcome ClassifyDetector(int16_t det, const HealthMeasures& m,
                                 const HealthSnapshot& snapshot, HealthTally& tally);

// A detector that could not be extracted: highly suspicious, no measures.
DetectorOutcome ClassifyUnreadable(int16_t det, HealthTally& tally);

// A detector inside the excluded range: counted in no class, listed nowhere.
DetectorOutcome ClassifyExcluded(int16_t det, HealthTally& tally);

// Appends the outcome's block to the section of its class (healthy and excluded: none).
void AppendToSections(HealthTally& tally, const DetectorOutcome& outcome);

}  // namespace sorvane::modBaddet
