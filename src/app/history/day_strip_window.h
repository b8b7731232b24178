#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/charts/chart_window.h"

namespace sorvane {
class Log;
}

namespace sorvane::app {

// One day of a strip: its date and its detector's volume and occupancy over the time of day
// (a line plot request).
struct StripDay {
    std::string date;
    PlotRequest line;
};

// Reads the detector's day from each (date, archive), a reader of its own per archive, calling
// `checkStop` before each; the dates whose archive is no longer there go into `gone`.
std::vector<StripDay> readStripDays(
    const std::vector<std::pair<std::string, std::string>>& archives, int16_t det, bool fiveMinutes,
    Log& log, const std::function<void()>& checkStop, std::vector<std::string>& gone);

// A detector's chosen days one above the other on one time axis, each row its volume and
// occupancy on the scales of the whole strip, so that a fault's shape on each day is seen at
// once.
class DayStripWindow : public ChartWindow {
    Q_OBJECT
  public:
    DayStripWindow(int16_t det, std::vector<StripDay> days, bool fiveMinutes, ChartContext context);
};

}  // namespace sorvane::app
