#pragma once

#include <string>
#include <vector>

namespace sorvane {

enum class PlotKind { Scatter, Line, Histogram };

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
};

// What a chart window draws. Points keep the order in which they were produced. For the line
// kind x is a time of day in seconds after midnight, and series 1 holds the occupancy at the
// same times as the volumes of series 0; the other kinds use series 0 only.
struct PlotRequest {
    PlotKind kind = PlotKind::Scatter;
    std::string header;           // the chart title's one line
    std::string caption;          // the window caption
    std::string bottomAxisTitle;  // histograms only: "Volume" or "Occupancy"
    std::vector<PlotPoint> series0;
    std::vector<PlotPoint> series1;
};

}  // namespace sorvane
