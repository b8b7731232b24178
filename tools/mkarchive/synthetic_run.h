#pragma once

#include <string>
#include <vector>

#include "mkarchive/synthetic_day.h"
#include "mkarchive/synthetic_network.h"

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
// A station's lanes are silent together for two hours, from a whole hour between 13:00 and
// 20:00, on a day other than the feed outage's; a controller's detectors for three hours from
// 05:00 or 06:00 on such a day.
inline constexpr int kStationOutageSlots = 240;
inline constexpr int kControllerOutageSlots = 360;

// The run's network: planNetwork of its detectors and seed.
std::vector<NetworkDetector> runNetwork(const RunOptions& options);

// Plans a run of days on the run's network. The share of faulty detectors (day.faultShare) is
// dealt a fault kind and a course each, round the kinds and the courses in turn (never to an
// abandoned detector; undercounting to mainline lanes only). Three courses come on top, each at
// a station of detectors with no other fault: a station outage, a controller outage (preferably
// of a controller serving two stations) and two mainline lanes of a station swapped from a day
// drawn at random on (the two whose traffic differs most). Each detector keeps its lane from day
// to day, and each day draws its traffic anew (within 2 % of the lane's usual day). The
// same options always give the same days. Throws SorvaneError for a start that is no date or a
// number of days below 1.
std::vector<RunDay> planRun(const RunOptions& options);

}  // namespace sorvane::synth
