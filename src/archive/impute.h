#pragma once

#include "archive/detector_day.h"

namespace sorvane::modImpute {

// Cleans a raw day: implausible slots become -1 / -1.0, slots without vehicles get occupancy 0
// (unless exactly 100). Each slot is judged on its own; nothing is filled from neighbours.
void imputeDay(const DetectorDay& source, DetectorDay& target);

}  // namespace sorvane::modImpute
