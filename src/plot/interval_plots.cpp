#include "plot/interval_plots.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace sorvane {

namespace {

constexpr int kHistogramCounters = 101;
constexpr int kVolumeBars = 31;
constexpr int kVolumeBinsPerRange = 30;

PlotRequest requestFor(PlotKind kind, const PlotSelection& selection, std::string_view title) {
    PlotRequest request;
    request.kind = kind;
    request.header = "Detector: " + selection.detectorText;
    request.caption = std::string(title) + selection.intervalText + " Data";
    return request;
}

// Whole numbers with exact halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

struct Bins {
    std::vector<int> counters = std::vector<int>(kHistogramCounters, 0);
    double smallest = 0.0;
    int width = 1;
    int bars = 0;

    // Bins are never negative here (volumes count from the smallest, occupancies are clamped),
    // and the volume widths keep them below 101; one past the counters would not be shown.
    void count(int bin) {
        if (bin < kHistogramCounters) ++counters[static_cast<size_t>(bin)];
    }
};

Bins volumeBins(const IntervalData& data, PlotSpan span) {
    int largest = 0;
    int smallest = 30000;
    for (size_t i = span.first; i <= span.last; ++i) {
        largest = std::max<int>(largest, data.values[i].vol);
        smallest = std::min<int>(smallest, data.values[i].vol);
    }
    Bins bins;
    bins.smallest = smallest;
    if (largest > kVolumeBinsPerRange) {
        // A range below 15 rounds to 0; 1 keeps every bin within the counters.
        bins.width = std::max(
            1, roundHalfEven(static_cast<double>(largest - smallest) / kVolumeBinsPerRange));
    }
    for (size_t i = span.first; i <= span.last; ++i)
        bins.count((data.values[i].vol - smallest) / bins.width);
    bins.bars = kVolumeBars;
    return bins;
}

Bins occupancyBins(const IntervalData& data, PlotSpan span) {
    Bins bins;
    int highest = 0;
    for (size_t i = span.first; i <= span.last; ++i) {
        int bin = std::clamp(roundHalfEven(data.values[i].occ), 0, kHistogramCounters - 1);
        bins.count(bin);
        highest = std::max(highest, bin);
    }
    bins.bars = highest + 1;
    return bins;
}

}  // namespace

PlotRequest PlotScatter(const IntervalData& data, const PlotSelection& selection) {
    PlotSpan span = checkedPlotSpan(selection, data);
    PlotRequest request = requestFor(PlotKind::Scatter, selection, "Vol/Occ Scatter Graph: ");
    for (size_t i = span.first; i <= span.last; ++i)
        request.series0.push_back({data.values[i].occ, static_cast<double>(data.values[i].vol)});
    return request;
}

PlotRequest PlotLine(const IntervalData& data, const PlotSelection& selection) {
    PlotSpan span = checkedPlotSpan(selection, data);
    PlotRequest request = requestFor(PlotKind::Line, selection, "Vol/Occ Line Graph: ");
    for (size_t i = span.first; i <= span.last; ++i) {
        auto time = static_cast<double>(data.startSeconds[i]);
        request.series0.push_back({time, static_cast<double>(data.values[i].vol)});
        request.series1.push_back({time, data.values[i].occ});
    }
    return request;
}

PlotRequest PlotHistogram(const IntervalData& data, const PlotSelection& selection) {
    PlotSpan span = checkedPlotSpan(selection, data);
    PlotRequest request = requestFor(PlotKind::Histogram, selection, "Histogram: ");
    request.bottomAxisTitle = selection.volumeHistogram ? "Volume" : "Occupancy";
    Bins bins = selection.volumeHistogram ? volumeBins(data, span) : occupancyBins(data, span);
    for (int b = 0; b < bins.bars; ++b) {
        request.series0.push_back({bins.width * b + bins.smallest,
                                   static_cast<double>(bins.counters[static_cast<size_t>(b)])});
    }
    return request;
}

}  // namespace sorvane
