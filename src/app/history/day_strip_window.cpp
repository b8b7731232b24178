#include "app/history/day_strip_window.h"

#include <sys/stat.h>

#include <QCategoryAxis>
#include <QDate>
#include <QLegendMarker>
#include <QLineSeries>
#include <algorithm>
#include <optional>

#include "app/qt_text.h"
#include "archive/unzip.h"
#include "common/intervals.h"
#include "common/ordered_workers.h"
#include "plot/detector_plots.h"

namespace sorvane::app {

namespace {

constexpr QSize kStripSize(900, 720);
constexpr double kRowHeight = 0.9;  // of a day's row, the rest is the gap to the next
constexpr double kSecondsPerDay = 86400.0;
constexpr int kReadingWorkers = 2;

PlotRequest requestFor(int16_t det, size_t days, bool fiveMinutes) {
    PlotRequest request;
    request.kind = PlotKind::Line;
    request.header = "Detector " + std::to_string(det) + ": " + std::to_string(days) + " days";
    request.caption = "Days of detector " + std::to_string(det) +
                      " side by side: " + (fiveMinutes ? "5 min" : "30 Sec") + " Data";
    return request;
}

// A day's line in its row from `base` up: a slot the cleaning judged missing (-1) just below
// the row's zero, as the day chart draws it below zero.
QList<QPointF> rowPoints(const std::vector<PlotPoint>& points, double base, double top) {
    constexpr double kMissingDepth = 0.04;
    QList<QPointF> row;
    row.reserve(static_cast<qsizetype>(points.size()));
    for (const PlotPoint& p : points) {
        double y = p.y < 0.0 ? base - kMissingDepth : base + kRowHeight * p.y / top;
        row.append({timeAxisValue(p.x), y});
    }
    return row;
}

double highest(const std::vector<PlotPoint>& points) {
    double top = 0.0;
    for (const PlotPoint& p : points)
        top = std::max(top, p.y);
    return top > 0.0 ? top : 1.0;
}

}  // namespace

std::vector<StripDay> readStripDays(
    const std::vector<std::pair<std::string, std::string>>& archives, int16_t det, bool fiveMinutes,
    Log& log, const std::function<void()>& checkStop, std::vector<std::string>& gone) {
    // Two archives at a time, each by a reader of its own; none when it is no longer there.
    ItemMaker<std::optional<StripDay>> read = [&](size_t i) -> std::optional<StripDay> {
        checkStop();
        const auto& [date, archive] = archives[i];
        struct stat info {};
        if (::stat(archive.c_str(), &info) != 0) return std::nullopt;
        Unzip reader(log);
        reader.ZipFileName(archive);
        reader.zipList();
        return StripDay{date, fiveMinutes ? PlotDetectorLine5Min(reader, det)
                                          : PlotDetectorLine30Sec(reader, det)};
    };
    std::vector<StripDay> days;
    runInOrder<std::optional<StripDay>>(
        archives.size(), kReadingWorkers, archives.size(), [&] { return read; }, read,
        [&](size_t i, std::optional<StripDay>& day) {
            checkStop();
            if (day) {
                days.push_back(std::move(*day));
            } else {
                gone.push_back(archives[i].first);
            }
        });
    return days;
}

DayStripWindow::DayStripWindow(int16_t det, std::vector<StripDay> days, bool fiveMinutes,
                               ChartContext context)
    : ChartWindow("DayStripWindow", requestFor(det, days.size(), fiveMinutes), context, kStripSize,
                  true) {
    setImageName(QStringLiteral("det-%1-strip-%2.png")
                     .arg(det)
                     .arg(fiveMinutes ? QStringLiteral("5min") : QStringLiteral("30sec")));
    double volumeTop = 1.0;
    double occupancyTop = 1.0;
    for (const StripDay& d : days) {
        volumeTop = std::max(volumeTop, highest(d.line.series0));
        occupancyTop = std::max(occupancyTop, highest(d.line.series1));
    }
    chart()->setTitle(toQString(requestFor(det, days.size(), fiveMinutes).header) +
                      QStringLiteral(" (each row: volume 0 to %1, occupancy 0 to %2)")
                          .arg(volumeTop)
                          .arg(occupancyTop));

    // The first day on top.
    auto* rows = new QCategoryAxis;
    rows->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    rows->setGridLineVisible(false);
    auto* time = new QCategoryAxis;
    markTimeAxis(time);
    std::vector<QLineSeries*> lines;
    const auto n = static_cast<double>(days.size());
    for (size_t i = 0; i < days.size(); ++i) {
        const double base = n - 1.0 - static_cast<double>(i);
        auto* vol = new QLineSeries;
        auto* occ = new QLineSeries;
        vol->setName(QStringLiteral("Vol"));
        occ->setName(QStringLiteral("Occ"));
        QPen volPen(QColor(255, 0, 0));
        volPen.setWidthF(1.5);
        vol->setPen(volPen);
        occ->setPen(QPen(QColor(0, 128, 0), 1));
        vol->replace(rowPoints(days[i].line.series0, base, volumeTop));
        occ->replace(rowPoints(days[i].line.series1, base, occupancyTop));
        chart()->addSeries(vol);
        chart()->addSeries(occ);
        lines.push_back(vol);
        lines.push_back(occ);
    }
    // Categories go bottom up: the last day first.
    rows->setStartValue(0.0);
    for (size_t i = days.size(); i-- > 0;) {
        QDate date = QDate::fromString(toQString(days[i].date), Qt::ISODate);
        rows->append(toQString(days[i].date) + QLatin1Char(' ') +
                         QLocale::c().dayName(date.dayOfWeek(), QLocale::ShortFormat),
                     n - static_cast<double>(i));
    }
    addAxis(time, Qt::AlignBottom, lines.front(), QStringLiteral("Time"), timeAxisValue(0.0),
            timeAxisValue(kSecondsPerDay), AxisFit::Exact);
    addAxis(rows, Qt::AlignLeft, lines.front(), QString(), 0.0, n, AxisFit::Exact);
    for (size_t i = 1; i < lines.size(); ++i) {
        lines[i]->attachAxis(time);
        lines[i]->attachAxis(rows);
    }
    // One legend entry per kind of line.
    for (size_t i = 2; i < lines.size(); ++i) {
        for (QLegendMarker* marker : chart()->legend()->markers(lines[i]))
            marker->setVisible(false);
    }
    chart()->legend()->setAlignment(Qt::AlignBottom);
    TChart1->setRubberBand(QChartView::HorizontalRubberBand);
    TChart1->setHorizontalPanning(true);
    setGradientBackground(QColor(255, 255, 200));
}

}  // namespace sorvane::app
