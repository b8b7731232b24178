#pragma once

#include <string>
#include <vector>

#include "health/health_classify.h"

namespace sorvane::modBaddet {

// A table of the measures of every visited detector, in test order, for a database or a
// spreadsheet: a header line, then one row per detector with its class label, the eleven
// measures (empty for unreadable and excluded detectors) at full precision, its reason (quoted
// where CSV needs it) and its daily sample status: statuses[i] belongs to outcomes[i] and is
// empty where the detector has none. CR LF line ends.
std::string measuresCsvText(const std::vector<DetectorOutcome>& outcomes,
                            const std::vector<std::string>& statuses);

}  // namespace sorvane::modBaddet
