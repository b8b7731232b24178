#pragma once

#include <cstdint>

#include "plot/plot_request.h"

namespace sorvane {

class Unzip;

// The whole-day plots that the health-test lists open for a detector number. Each loads and
// cleans a day of its own, so the detector shown on the "Plot vol/occ" tab (and a running
// health test) keeps its day. A detector the archive cannot extract plots as an all-zero day.

// 288 five-minute intervals of volume over occupancy (intervals with a negative occupancy left
// out).
PlotRequest PlotDetectorScatter5Min(Unzip& reader, int16_t det);

// Volume (series 0) and occupancy (series 1) of all 2880 thirty-second slots over the time of
// day; -1 marks what the cleaning judged missing.
PlotRequest PlotDetectorLine30Sec(Unzip& reader, int16_t det);

// Volume (series 0) and occupancy (series 1) of the 288 five-minute intervals over the time of
// day, missing slots adding nothing (as the scatter has them).
PlotRequest PlotDetectorLine5Min(Unzip& reader, int16_t det);

}  // namespace sorvane
