#include "app/charts/round_ticks.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "app/charts/chart_series.h"

namespace sorvane::app {

namespace {

constexpr double kMsPerMinute = 60'000;
constexpr double kMsPerDay = 24 * 60 * kMsPerMinute;
// A tick this close to the range's end (as a share of the step) still belongs to it.
constexpr double kEdgeShare = 1e-9;

// 1, 2 or 5 times a power of ten, the first that makes at most about `intervals` steps.
double numberStep(double span, int intervals) {
    double rough = span / std::max(intervals, 1);
    if (!(rough > 0) || !std::isfinite(rough)) return 1.0;
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double share : {1.0, 2.0, 5.0}) {
        if (share * power >= rough * (1 - kEdgeShare)) return share * power;
    }
    return 10 * power;
}

double timeStep(double spanMs, int intervals) {
    static constexpr std::array<double, 11> kMinutes{1, 2, 5, 10, 15, 30, 60, 120, 180, 360, 720};
    double rough = spanMs / std::max(intervals, 1);
    for (double minutes : kMinutes) {
        if (minutes * kMsPerMinute >= rough) return minutes * kMsPerMinute;
    }
    return kMsPerDay;
}

// The digits after the point that a step of 1, 2 or 5 times 10^n needs.
int decimalsOf(double step) {
    return std::max(0, -static_cast<int>(std::floor(std::log10(step) + kEdgeShare)));
}

QString timeLabel(double msAfterMidnight) {
    auto minutes = static_cast<long long>(std::llround(msAfterMidnight / kMsPerMinute));
    return QStringLiteral("%1:%2")
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

std::vector<Tick> roundTicks(double low, double high, TickScale scale, int intervals) {
    std::vector<Tick> ticks;
    if (!(high > low) || !std::isfinite(low) || !std::isfinite(high)) return ticks;
    const bool time = scale == TickScale::TimeOfDay;
    const double origin = time ? timeAxisValue(0) : 0.0;  // ticks count from here
    const double from = low - origin;
    const double to = high - origin;
    const double step = time ? timeStep(to - from, intervals) : numberStep(to - from, intervals);
    const int decimals = decimalsOf(step);
    // Whole multiples of the step, so that no sum of steps drifts off a round value.
    double first = std::ceil(from / step - kEdgeShare);
    double last = std::floor(to / step + kEdgeShare);
    for (double k = first; k <= last; ++k) {
        double offset = k == 0 ? 0.0 : k * step;  // no "-0"
        ticks.push_back(
            {origin + offset, time ? timeLabel(offset) : QString::number(offset, 'f', decimals)});
    }
    return ticks;
}

void keepRoundTicks(QCategoryAxis* axis, TickScale scale, int intervals) {
    auto follow = [axis, scale, intervals] {
        for (const QString& label : axis->categoriesLabels())
            axis->remove(label);
        std::vector<Tick> ticks = roundTicks(axis->min(), axis->max(), scale, intervals);
        axis->setStartValue(ticks.empty() ? axis->min() : std::min(axis->min(), ticks[0].value));
        for (const Tick& tick : ticks)
            axis->append(tick.label, tick.value);
    };
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    follow();
    QObject::connect(axis, &QValueAxis::rangeChanged, axis, follow);
}

}  // namespace sorvane::app
