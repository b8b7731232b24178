#pragma once

#include <cstdint>

#include "archive/detector_day.h"

namespace sorvane {

class Unzip;

// Extracts a detector and makes its raw and cleaned days. On success both days are replaced
// and the result is true; when the archive lacks the detector or one of its members both are
// left as they were.
bool loadDetectorDay(Unzip& reader, int32_t det, DetectorDay& rawDay, DetectorDay& imputedDay);

}  // namespace sorvane
