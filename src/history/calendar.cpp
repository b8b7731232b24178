#include "history/calendar.h"

#include "history/archive_date.h"

namespace sorvane::history {

Calendar calendarOf(const std::vector<std::string>& ledgerDates, const DateWindow& window) {
    Calendar calendar;
    std::string first = !window.from.empty()  ? window.from
                        : ledgerDates.empty() ? std::string()
                                              : ledgerDates.front();
    std::string last = !window.to.empty()    ? window.to
                       : ledgerDates.empty() ? std::string()
                                             : ledgerDates.back();
    if (!isLedgerDate(first) || !isLedgerDate(last) || last < first) return calendar;
    const int firstDay = dayNumber(first);
    const int lastDay = dayNumber(last);
    calendar.dates.reserve(static_cast<size_t>(lastDay - firstDay + 1));
    calendar.gridColumns.assign(static_cast<size_t>(lastDay - firstDay + 1), -1);
    for (int day = firstDay; day <= lastDay; ++day)
        calendar.dates.push_back(dateOfDay(day));
    for (size_t i = 0; i < ledgerDates.size(); ++i) {
        if (!isLedgerDate(ledgerDates[i])) continue;
        int day = dayNumber(ledgerDates[i]);
        if (day >= firstDay && day <= lastDay)
            calendar.gridColumns[static_cast<size_t>(day - firstDay)] = static_cast<int>(i);
    }
    return calendar;
}

bool isWeekend(std::string_view date) {
    int weekday = (dayNumber(date) % 7 + 7 + 4) % 7;  // 1970-01-01 was a Thursday; 0 is Sunday
    return weekday == 0 || weekday == 6;
}

}  // namespace sorvane::history
