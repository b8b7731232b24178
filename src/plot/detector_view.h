#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/interval_data.h"
#include "plot/plot_input.h"

namespace sorvane {

// The data list's line of one interval: "hh:mm:ss: <vol>,  <occ #0.0#>".
std::string intervalLine(int startSeconds, const DetSlot& value);

// The lines of every interval, in order.
std::vector<std::string> intervalLines(const IntervalData& data);

// The volume total over the selected span of computed intervals, both ends included: only
// volumes above 0 count, so -1 markers are skipped. Throws SorvaneError with CheckPlotInput's
// message when the selection does not allow a total.
int32_t volumeTotal(const IntervalData& data, const PlotSelection& selection);

}  // namespace sorvane
