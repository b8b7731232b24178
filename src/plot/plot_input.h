#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "archive/interval_data.h"

namespace sorvane {

inline constexpr std::string_view kMsgLoadDetectorsFirst =
    "You must load the detector list first befor plotting.";
inline constexpr std::string_view kMsgSelectDetector = "You must select the detector number.";
inline constexpr std::string_view kMsgSelectSpan =
    "You must properly select the start and end time.";

// The state of the "Plot vol/occ" tab's selectors that the plots and the volume total read.
// An index of -1 means no entry is selected.
struct PlotSelection {
    int detectorEntries = 0;   // entries of the detector selector
    int detectorIndex = -1;    // its selected entry
    std::string detectorText;  // the text of that entry, shown in the chart title
    int startIndex = -1;       // selected interval of the start-time selector
    int endIndex = -1;         // selected interval of the end-time selector
    int intervalPosition = 0;  // plot interval selector; outside the table means "30 sec"
    std::string intervalText;  // what the plot interval selector shows, for the captions
    MissingOption missing = MissingOption::SetToZero;
    bool volumeHistogram = true;  // "Vol" rather than "Occ" in the histogram choice
};

// The message of the first selection check that fails, in order: no detectors loaded, no
// detector selected, no proper span (start selected and before the end). None when an interval
// plot or the volume total may go ahead.
std::optional<std::string_view> CheckPlotInput(const PlotSelection& selection);

// The span [first, last] of intervals a plot covers. Throws SorvaneError with the check's
// message when CheckPlotInput fails, and when the span lies beyond the computed intervals.
struct PlotSpan {
    size_t first;
    size_t last;
};
PlotSpan checkedPlotSpan(const PlotSelection& selection, const IntervalData& data);

}  // namespace sorvane
