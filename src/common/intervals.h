#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace sorvane {

constexpr int kSlotsPerDay = 2880;
constexpr int kSecondsPerSlot = 30;

// One row of the interval table shared by the plot and export interval selectors.
struct IntervalSpec {
    std::string_view label;
    int slotsPerInterval;
    int intervalsPerDay;
    int secondsPerInterval;
};

inline constexpr std::array<IntervalSpec, 10> kIntervals{{
    {"30 sec", 1, 2880, 30},
    {"1 min", 2, 1440, 60},
    {"2 min", 4, 720, 120},
    {"3 min", 6, 480, 180},
    {"4 min", 8, 360, 240},
    {"5 min", 10, 288, 300},
    {"10 min", 20, 144, 600},
    {"15 min", 30, 96, 900},
    {"30 min", 60, 48, 1800},
    {"1 hour", 120, 24, 3600},
}};

// The row at a selector position; a position outside the table (no entry selected) is row 0.
const IntervalSpec& intervalAt(int position);

// The position of a label of the table, matched exactly.
std::optional<int> intervalPosition(std::string_view label);

}  // namespace sorvane
