#include "app/health_test_texts.h"

#include "health/health_outcome_text.h"

namespace sorvane::app {

std::string outcomeText(const modBaddet::DetectorOutcome& outcome,
                        const modBaddet::HealthSnapshot& snapshot) {
    std::string det = std::to_string(outcome.det);
    switch (outcome.step) {
        case modBaddet::DecisionStep::Healthy:
            return det + ": Good Detector";
        case modBaddet::DecisionStep::Excluded:
            return det + ": Excluded from testing (" + std::to_string(snapshot.detNoFrom) +
                   " <= Detector # <= " + std::to_string(snapshot.detNoTo) + ")";
        default:
            return modBaddet::ListLine(outcome);
    }
}

std::string runCountsText(const modBaddet::HealthRunResult& result) {
    const modBaddet::HealthTally& t = result.tally;
    return std::to_string(result.outcomes.size()) +
           " detectors: " + std::to_string(t.highlySuspicious) + " highly suspicious, " +
           std::to_string(t.suspicious) + " suspicious, " + std::to_string(t.marginal) +
           " marginal, " + std::to_string(t.healthy) + " healthy, " + std::to_string(t.excluded) +
           " excluded";
}

}  // namespace sorvane::app
