#include "app/charts/chart_series.h"

#include <QAreaSeries>
#include <QDateTime>
#include <QLegend>
#include <QLegendMarker>
#include <QScatterSeries>
#include <QValueAxis>
#include <QXYSeries>

namespace sorvane::app {

namespace {

constexpr char kTimeOfDay[] = "timeOfDay";

}  // namespace

void markTimeAxis(QAbstractAxis* axis) {
    axis->setProperty(kTimeOfDay, true);
}

bool isTimeAxis(const QAbstractAxis* axis) {
    return axis->property(kTimeOfDay).toBool();
}

std::pair<double, double> axisRange(const QAbstractAxis* axis) {
    if (auto* values = qobject_cast<const QValueAxis*>(axis)) return {values->min(), values->max()};
    return {0.0, 0.0};
}

void setAxisRange(QAbstractAxis* axis, double low, double high) {
    if (auto* values = qobject_cast<QValueAxis*>(axis)) values->setRange(low, high);
}

QColor seriesColor(const QAbstractSeries* series) {
    if (auto* xy = qobject_cast<const QXYSeries*>(series)) return xy->color();
    if (auto* area = qobject_cast<const QAreaSeries*>(series)) return area->color();
    return {};
}

void setSeriesColor(QAbstractSeries* series, const QColor& color) {
    if (auto* points = qobject_cast<QScatterSeries*>(series)) points->setBorderColor(color);
    if (auto* xy = qobject_cast<QXYSeries*>(series)) xy->setColor(color);
    if (auto* area = qobject_cast<QAreaSeries*>(series)) area->setColor(color);
}

void setSeriesShown(QChart* chart, QAbstractSeries* series, bool shown) {
    series->setVisible(shown);
    for (QLegendMarker* marker : chart->legend()->markers(series)) {
        marker->setVisible(true);
        QColor label = marker->labelBrush().color();
        label.setAlphaF(shown ? 1.0 : 0.4);
        marker->setLabelBrush(label);
        QColor swatch = seriesColor(series);
        swatch.setAlphaF(shown ? 1.0 : 0.3);
        marker->setBrush(swatch);
    }
}

double timeAxisValue(double secondsAfterMidnight) {
    static const double midnight =
        static_cast<double>(QDateTime(QDate(2000, 1, 3), QTime(0, 0)).toMSecsSinceEpoch());
    return midnight + secondsAfterMidnight * 1000.0;
}

}  // namespace sorvane::app
