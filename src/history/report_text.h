#pragma once

#include <map>
#include <string>
#include <vector>

#include "history/history_report.h"

namespace sorvane::history {

// The report as sorvane-cli prints it: the window, the number of days and detectors, a count
// per label, the missing dates and the days of other parameters, with an inventory the abandoned
// detectors and those on one side only of the inventory, the repair list under its
// header and the window's feed outages (date, first and last slot's time, share). "\n" line
// ends.
std::string reportText(const HistoryReport& report);

// One row per detector in ascending order under the header
// det,days,bad_days,productivity,switches,streak,longest_bad_run,first_bad,last_bad,last_step,
// label,bad_runs,repaired_runs,mean_repair_days,last_change,recent_switches,drift_days,last_ratio,
// station,lane,lane_type,corridor,share_days,last_share_delta (the network columns from the
// inventory in force on the window's last date, empty without one; the share columns empty).
// CR LF line ends.
std::string reportCsv(const HistoryReport& report);
// The header line of reportCsv, and the line of one of its detectors.
std::string reportCsvHeader();
std::string reportCsvRow(const HistoryReport& report, const DetectorSummary& summary);

// An outage's first and last slot's time and its share: "10:00:00-12:59:30 (95.6 %)".
std::string outageTimes(const FeedOutage& outage);
// A run of slots as times: "10:00:00-12:59:30".
std::string slotTimes(int firstSlot, int lastSlot);

// One line per recorded date: date, class, step, attribution, status, list line, count ratio
// (three decimals; empty when none), drift ("low" below 0.7, "high" above 1.3, else empty).
// "\n" line ends.
std::string detectorDaysText(const std::vector<DetectorDayRecord>& records,
                             const std::map<std::string, double>& ratios);

}  // namespace sorvane::history
