#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

namespace sorvane {
class Log;
}

namespace sorvane::app {

class JobRunner;
struct ChartContext;

// Opens a detector's whole day as the 30-second line chart that a click on a health-test list
// opens, read from `archive` (the file recorded for `date`) by a reader of its own in a job of
// `jobs`, so the archive loaded in the main window stays as it is and the window answers
// meanwhile. The caption names the date. An archive that is no longer there, or cannot be
// read, gets a message naming it; then nothing opens.
void showDayChart(JobRunner& jobs, const std::string& archive, const std::string& date, int16_t det,
                  Log& log, const ChartContext& context);

}  // namespace sorvane::app
