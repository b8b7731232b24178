#include "plot/detector_plots.h"

#include <string>

#include "archive/day_loader.h"
#include "archive/detector_day.h"
#include "archive/interval_data.h"
#include "common/intervals.h"

namespace sorvane {

namespace {

constexpr int kFiveMinutePosition = 5;

// The detector's cleaned day; all zero when the archive lacks the detector or a member.
DetectorDay cleanedDay(Unzip& reader, int16_t det) {
    DetectorDay rawDay{};
    DetectorDay imputedDay{};
    loadDetectorDay(reader, det, rawDay, imputedDay);
    return imputedDay;
}

PlotRequest requestFor(PlotKind kind, int16_t det, std::string caption) {
    PlotRequest request;
    request.kind = kind;
    request.header = "Detector: " + std::to_string(det);
    request.caption = std::move(caption);
    return request;
}

}  // namespace

PlotRequest PlotDetectorScatter5Min(Unzip& reader, int16_t det) {
    PlotRequest request = requestFor(PlotKind::Scatter, det, "Vol/Occ Scatter Graph: 5 min Data");
    // "Set to 0": missing slots add nothing and no interval becomes -1.
    IntervalData data = aggregateDay(cleanedDay(reader, det), intervalAt(kFiveMinutePosition),
                                     MissingOption::SetToZero);
    for (const DetSlot& value : data.values) {
        if (value.occ >= 0.0f)
            request.series0.push_back({value.occ, static_cast<double>(value.vol)});
    }
    return request;
}

PlotRequest PlotDetectorLine30Sec(Unzip& reader, int16_t det) {
    PlotRequest request = requestFor(PlotKind::Line, det, "Vol/Occ Line Graph: 30 Sec Data");
    DetectorDay day = cleanedDay(reader, det);
    request.series0.reserve(day.size());
    request.series1.reserve(day.size());
    for (size_t s = 0; s < day.size(); ++s) {
        auto time = static_cast<double>(s * kSecondsPerSlot);
        request.series0.push_back({time, static_cast<double>(day[s].vol)});
        request.series1.push_back({time, day[s].occ});
    }
    return request;
}

PlotRequest PlotDetectorLine5Min(Unzip& reader, int16_t det) {
    PlotRequest request = requestFor(PlotKind::Line, det, "Vol/Occ Line Graph: 5 min Data");
    IntervalData data = aggregateDay(cleanedDay(reader, det), intervalAt(kFiveMinutePosition),
                                     MissingOption::SetToZero);
    for (size_t i = 0; i < data.values.size(); ++i) {
        auto time = static_cast<double>(data.startSeconds[i]);
        request.series0.push_back({time, static_cast<double>(data.values[i].vol)});
        request.series1.push_back({time, data.values[i].occ});
    }
    return request;
}

}  // namespace sorvane
