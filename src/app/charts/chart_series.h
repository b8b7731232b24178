#pragma once

#include <QAbstractAxis>
#include <QAbstractSeries>
#include <QChart>
#include <QColor>
#include <QHash>
#include <utility>

namespace sorvane::app {

// The range each axis of a chart shows when its range is automatic: fitted to the data.
using AxisRanges = QHash<QAbstractAxis*, std::pair<double, double>>;

// A time axis counts timeAxisValue()s and is labelled with times of day.
void markTimeAxis(QAbstractAxis* axis);
bool isTimeAxis(const QAbstractAxis* axis);

// An axis range as plain numbers (a time axis counts milliseconds since the epoch).
std::pair<double, double> axisRange(const QAbstractAxis* axis);
void setAxisRange(QAbstractAxis* axis, double low, double high);

// The colour a series is drawn in.
QColor seriesColor(const QAbstractSeries* series);
void setSeriesColor(QAbstractSeries* series, const QColor& color);

// Shows or hides a series; its legend entry stays, faded while the series is hidden.
void setSeriesShown(QChart* chart, QAbstractSeries* series, bool shown);

// The time axis' value of a time of day: local time, on a day without a clock change.
double timeAxisValue(double secondsAfterMidnight);

}  // namespace sorvane::app
