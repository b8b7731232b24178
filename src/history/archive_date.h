#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sorvane::history {

// The date of an archive named the centers' way, its file name beginning with YYYYMMDD
// ("20240315.traffic" is 2024-03-15), as YYYY-MM-DD; nothing when the name does not begin with
// a valid date.
std::optional<std::string> archiveDate(std::string_view path);

// A valid calendar date written YYYY-MM-DD (years 0001 to 9999).
bool isLedgerDate(std::string_view text);

// The days since 1970-01-01 of a date YYYY-MM-DD that isLedgerDate accepts, and back: for
// counting the dates between two dates and for stepping back by weeks.
int dayNumber(std::string_view date);
std::string dateOfDay(int day);

}  // namespace sorvane::history
