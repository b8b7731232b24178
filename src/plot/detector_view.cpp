#include "plot/detector_view.h"

#include "common/format.h"

namespace sorvane {

std::string intervalLine(int startSeconds, const DetSlot& value) {
    return formatTimeOfDay(startSeconds) + ": " + std::to_string(value.vol) + ",  " +
           formatNumber(value.occ, NumberPattern::UpToTwo);
}

std::vector<std::string> intervalLines(const IntervalData& data) {
    std::vector<std::string> lines;
    lines.reserve(data.values.size());
    for (size_t i = 0; i < data.values.size(); ++i) {
        lines.push_back(intervalLine(data.startSeconds[i], data.values[i]));
    }
    return lines;
}

int32_t volumeTotal(const IntervalData& data, const PlotSelection& selection) {
    PlotSpan span = checkedPlotSpan(selection, data);
    int32_t total = 0;  // at most 2880 intervals of at most 32767
    for (size_t i = span.first; i <= span.last; ++i) {
        if (data.values[i].vol > 0) total += data.values[i].vol;
    }
    return total;
}

}  // namespace sorvane
