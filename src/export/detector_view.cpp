#include "export/detector_view.h"

namespace sorvane {

int32_t volumeTotal(const IntervalData& data, const PlotSelection& selection) {
    PlotSpan span = checkedPlotSpan(selection, data);
    int32_t total = 0;  // at most 2880 intervals of at most 32767
    for (size_t i = span.first; i <= span.last; ++i) {
        if (data.values[i].vol > 0) total += data.values[i].vol;
    }
    return total;
}

}  // namespace sorvane
