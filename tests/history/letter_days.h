#pragma once
// Detectors' days written as letters, one a day from 2024-03-01: B highly suspicious (missing
// data), O the same verdict owed to a feed outage, S suspicious (lock-on), M marginal, X
// excluded, '.' no record; any other letter is a healthy day.
#include <algorithm>
#include <string>
#include <vector>

#include "history/archive_date.h"
#include "history/ledger_record.h"

namespace sorvane::test {

using Histories = std::vector<std::pair<int16_t, std::string>>;

inline std::string dateOf(size_t day) {
    return history::dateOfDay(history::dayNumber("2024-03-01") + static_cast<int>(day));
}

inline size_t daysOf(const Histories& histories) {
    size_t days = 0;
    for (const auto& h : histories)
        days = std::max(days, h.second.size());
    return days;
}

// The letter of day `day`, '.' past the end.
inline char letterOn(const std::string& letters, size_t day) {
    return day < letters.size() ? letters[day] : '.';
}

// A ledger cell or a detector's day record of `det` with the verdict of its letter.
template <typename Row>
Row verdictOf(int16_t det, char letter) {
    Row row;
    row.det = det;
    using history::Attribution;
    using modBaddet::DecisionStep;
    using modBaddet::HealthClass;
    if (letter == 'B' || letter == 'O') {
        row.healthClass = HealthClass::High;
        row.step = DecisionStep::Missing;
        row.attribution = letter == 'O' ? Attribution::FeedOutage : Attribution::Detector;
        row.status = DailyStatus::Good;
    } else if (letter == 'S') {
        row.healthClass = HealthClass::Susp;
        row.step = DecisionStep::LockOn;
        row.attribution = Attribution::Detector;
    } else if (letter == 'M') {
        row.healthClass = HealthClass::Marg;
        row.step = DecisionStep::MidDevIndex;
    } else if (letter == 'X') {
        row.healthClass = HealthClass::Excluded;
        row.step = DecisionStep::Excluded;
    }
    return row;
}

}  // namespace sorvane::test
