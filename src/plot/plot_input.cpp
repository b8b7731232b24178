#include "plot/plot_input.h"

#include "common/error.h"

namespace sorvane {

std::optional<std::string_view> CheckPlotInput(const PlotSelection& selection) {
    if (selection.detectorEntries <= 0) return kMsgLoadDetectorsFirst;
    if (selection.detectorIndex < 0) return kMsgSelectDetector;
    // An unselected end (-1) fails here too, since any selected start is not before it.
    if (selection.startIndex < 0 || selection.startIndex >= selection.endIndex)
        return kMsgSelectSpan;
    return std::nullopt;
}

PlotSpan checkedPlotSpan(const PlotSelection& selection, const IntervalData& data) {
    if (std::optional<std::string_view> message = CheckPlotInput(selection))
        throw SorvaneError(kErrInvalidInput, std::string(*message));
    auto last = static_cast<size_t>(selection.endIndex);
    if (last >= data.values.size())
        throw SorvaneError(kErrInvalidInput, std::string(kMsgSelectSpan));
    return {static_cast<size_t>(selection.startIndex), last};
}

}  // namespace sorvane
