#include "history/archive_date.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>

#include "common/text_file.h"

namespace sorvane::history {

namespace {

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

int number(std::string_view digits) {
    int n = 0;
    for (char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

bool isValidDate(int year, int month, int day) {
    static constexpr int kDaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1) return false;
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    int days = kDaysIn[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= days;
}

}  // namespace

std::optional<std::string> archiveDate(std::string_view path) {
    std::string name = fileNamePart(path);
    if (name.size() < 8) return std::nullopt;
    std::string_view digits = std::string_view(name).substr(0, 8);
    if (!allDigits(digits)) return std::nullopt;
    std::string date = std::string(digits.substr(0, 4)) + "-" + std::string(digits.substr(4, 2)) +
                       "-" + std::string(digits.substr(6, 2));
    if (!isLedgerDate(date)) return std::nullopt;
    return date;
}

bool isLedgerDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    std::string_view y = text.substr(0, 4), m = text.substr(5, 2), d = text.substr(8, 2);
    if (!allDigits(y) || !allDigits(m) || !allDigits(d)) return false;
    return isValidDate(number(y), number(m), number(d));
}

int dayNumber(std::string_view date) {
    using namespace std::chrono;
    year_month_day ymd{year{number(date.substr(0, 4))},
                       month{static_cast<unsigned>(number(date.substr(5, 2)))},
                       day{static_cast<unsigned>(number(date.substr(8, 2)))}};
    return static_cast<int>(sys_days(ymd).time_since_epoch().count());
}

std::string dateOfDay(int dayCount) {
    using namespace std::chrono;
    year_month_day ymd{sys_days{days{dayCount}}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return text;
}

}  // namespace sorvane::history
