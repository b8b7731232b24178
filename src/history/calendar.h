#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "history/ledger_store.h"

namespace sorvane::history {

// A window's dates as a calendar: every date from its first to its last, so that the dates the
// ledger lacks are seen as gaps.
struct Calendar {
    std::vector<std::string> dates;
    std::vector<int> gridColumns;  // per date: its column among the ledger's dates, -1 if none
};

// The calendar of `window` (its ends, where given; else the first and last of `ledgerDates`)
// over the ledger's dates in it, which are in order.
Calendar calendarOf(const std::vector<std::string>& ledgerDates, const DateWindow& window);

// Saturday or Sunday, for a date that isLedgerDate accepts.
bool isWeekend(std::string_view date);

}  // namespace sorvane::history
