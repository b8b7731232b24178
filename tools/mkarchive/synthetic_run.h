#pragma once

#include <string>
#include <vector>

#include "mkarchive/synthetic_day.h"

namespace sorvane::synth {

// How a detector's fault goes on from day to day: there every day, there from some day on
// (it appears), there until some day (it is repaired), there on some days only (it flaps), or,
// from some day on, counting a fixed share (0.55 to 0.65) of its traffic (it undercounts: its
// own fault kind, which no single day shows).
enum class FaultCourse { Persistent, Appears, Disappears, Flaps, Undercount };

struct RunOptions {
    DayOptions day;  // detectors, numbering, seed, fault share, encoding
    int days = 30;
    std::string start = "20240101";  // YYYYMMDD of the first day
};

// One day of a run: its date (YYYYMMDD, the archive's name) and what makeDay makes of it.
struct RunDay {
    std::string date;
    DayOptions options;
};

// Kept in one place so that the README, the tests and the benchmark agree: the middle day of a
// run loses its feed from 10:00:00 to 12:59:30 at 95 % of the detectors; weekend days carry 60 %
// of a weekday's traffic, and day N/3 is a holiday with 55 % of its weekday's usual traffic.
inline constexpr FeedOutageSpan kRunFeedOutage{1200, 1559, 0.95};
inline constexpr double kWeekendShare = 0.6;
inline constexpr double kHolidayShare = 0.55;

// Plans a run of days. The share of faulty detectors (day.faultShare) is dealt a fault kind and
// a course each, round the kinds and the courses in turn. Each detector keeps its lane from day
// to day, and each day draws its traffic anew (within 2 % of the lane's usual day). The
// same options always give the same days. Throws SorvaneError for a start that is no date or a
// number of days below 1.
std::vector<RunDay> planRun(const RunOptions& options);

}  // namespace sorvane::synth
