#pragma once

#include <QString>
#include <string>
#include <vector>

#include "history/history_report.h"
#include "history/ledger_record.h"

namespace sorvane::app {

// A cell's tooltip: date, detector, class, reason, daily status, attribution and the eleven
// measures (named as the ledger's columns), one per line.
QString cellDetails(const history::DetectorDayRecord& record);

// A date's tooltip in the header: the date and the times of its feed outages, if any.
QString dateDetails(const std::string& date, const std::vector<history::DatedOutage>& outages);

// The report's head as one line: the window, the number of days and detectors, a count per
// label.
QString reportSummary(const history::HistoryReport& report);

}  // namespace sorvane::app
