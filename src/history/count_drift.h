#pragma once

namespace sorvane::history {

// A day whose count ratio against the detector's usual day lies outside 0.7..1.3 is a drift day.
constexpr double kDriftLow = 0.7;
constexpr double kDriftHigh = 1.3;
// This many drift days among its recent days, the last of them with a ratio a drift day, make a
// detector drifting.
constexpr int kDriftDaysForLabel = 3;

inline bool isDriftRatio(double ratio) {
    return ratio < kDriftLow || ratio > kDriftHigh;
}

}  // namespace sorvane::history
