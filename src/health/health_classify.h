#pragma once

#include <cstdint>
#include <optional>
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

// The class a step gives: each row of the decision table has one.
HealthClass healthClassOf(DecisionStep step);

// What the test decided for one detector: the step that decided, and the measures it was judged
// on. The report's texts are made from it (health_outcome_text.h).
struct DetectorOutcome {
    int16_t det = 0;
    DecisionStep step = DecisionStep::Healthy;
    std::optional<HealthMeasures> measures;  // only for a detector that was measured

    HealthClass healthClass() const { return healthClassOf(step); }
};

// Applies the decision table to a measured detector: the first test that holds decides.
DetectorOutcome ClassifyDetector(int16_t det, const HealthMeasures& m,
                                 const HealthSnapshot& snapshot);

// A detector that could not be extracted: highly suspicious, no measures.
DetectorOutcome ClassifyUnreadable(int16_t det);

// A detector inside the excluded range: in no class count, listed nowhere.
DetectorOutcome ClassifyExcluded(int16_t det);

}  // namespace sorvane::modBaddet
