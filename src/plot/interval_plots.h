#pragma once

#include "archive/interval_data.h"
#include "plot/plot_input.h"
#include "plot/plot_request.h"

namespace sorvane {

// The plots of the current detector's computed intervals over the selected span. Each throws
// SorvaneError with CheckPlotInput's message when the selection does not allow a plot, so the
// window checks first and shows the message.

// Volume over occupancy, one point per interval; -1 intervals included.
PlotRequest PlotScatter(const IntervalData& data, const PlotSelection& selection);

// Volume (series 0) and occupancy (series 1) over the interval start times.
PlotRequest PlotLine(const IntervalData& data, const PlotSelection& selection);

// Histogram of the interval volumes (31 bars) or occupancies (whole percents up to the highest
// bin), as chosen in the selection; each bar's x is its bin's lower edge.
PlotRequest PlotHistogram(const IntervalData& data, const PlotSelection& selection);

}  // namespace sorvane
