#pragma once

#include <string>
#include <string_view>

#include "health/health_classify.h"

namespace sorvane::modBaddet {

// The texts the report and the result lists show of one detector's outcome.

// The long classification text of the step, blanks and line end included as the report has them.
std::string_view reasonText(DecisionStep step);

// The result list's line: the detector number and what was found ("7, 20% missing"); empty for
// healthy and excluded detectors.
std::string ListLine(const DetectorOutcome& outcome);

// The three report lines of a measured detector, each ending in CR LF, plus one empty line.
std::string measuresText(const HealthMeasures& m);

// The measures text of an outcome: the lines above for a measured detector, nothing for one
// that could not be read, "Detector Excluded From Testing" for an excluded one.
std::string measuresText(const DetectorOutcome& outcome);

// det ": " reason CR LF measures text: the detector's paragraph in the report.
std::string DetectorBlock(const DetectorOutcome& outcome);

}  // namespace sorvane::modBaddet
