#pragma once

#include "health/detector_parameters.h"
#include "health/lane_parameters.h"
#include "history/inventory.h"

namespace sorvane::history {

// The parameters each detector is tested with when an inventory is in use: a detector the
// inventory holds is tested with its lane type's ([Param] with the lane type's section over it),
// one it lacks with [Param]. Every lane type with a section is converted, used or not. Throws
// modBaddet::HealthParameterError for a [Param] text and LaneParameterError for a lane type's
// text that the test cannot use.
modBaddet::DetectorParameters parametersByLaneType(const Inventory& inventory,
                                                   const HealthParameterTexts& param,
                                                   const LaneSections& sections);

}  // namespace sorvane::history
