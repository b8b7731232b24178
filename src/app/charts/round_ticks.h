#pragma once

#include <QCategoryAxis>
#include <QString>
#include <vector>

namespace sorvane::app {

// What an axis counts: plain numbers, or times of day as the time axis holds them
// (timeAxisValue).
enum class TickScale { Number, TimeOfDay };

struct Tick {
    double value;
    QString label;
};

// Ticks at round values inside [low, high], about `intervals` steps apart: numbers at 1, 2 or 5
// times a power of ten, labelled with the step's decimals (never "8.88178e-16" or "-0"); times
// on whole minutes (1, 2, 5, 10, 15 or 30) or hours (1, 2, 3, 6 or 12), labelled "hh:mm" (the
// end of the day "24:00").
std::vector<Tick> roundTicks(double low, double high, TickScale scale, int intervals);

// Labels `axis` with the round ticks of whatever range it shows: after a zoom, a pan or a range
// typed in the chart editor as at first.
void keepRoundTicks(QCategoryAxis* axis, TickScale scale, int intervals);

}  // namespace sorvane::app
