#include "mkarchive/synthetic_run.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "common/error.h"
#include "mkarchive/random.h"

namespace sorvane::synth {

namespace {

constexpr int kCourses = 5;

struct Date {
    int year, month, day;
};

bool isLeap(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0);
}

Date parseDate(const std::string& text) {
    bool digits = text.size() == 8 && std::all_of(text.begin(), text.end(),
                                                  [](char c) { return c >= '0' && c <= '9'; });
    if (digits) {
        Date d{std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
               std::stoi(text.substr(6, 2))};
        if (d.year >= 1 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
            d.day <= daysInMonth(d.year, d.month)) {
            return d;
        }
    }
    throw SorvaneError(kErrInvalidInput, "The start \"" + text + "\" is no date YYYYMMDD");
}

Date nextDay(Date d) {
    if (++d.day > daysInMonth(d.year, d.month)) {
        d.day = 1;
        if (++d.month > 12) {
            d.month = 1;
            ++d.year;
        }
    }
    return d;
}

std::string dateText(const Date& d) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
    return text;
}

// A faulty detector's history: its fault kind and, per day, whether it shows.
struct FaultHistory {
    int detector;  // position in the day
    Fault fault;
    std::vector<bool> shows;
    double countedShare = 1.0;  // while it undercounts
};

bool isWeekend(const Date& d) {
    using namespace std::chrono;
    weekday w{sys_days{year{d.year} / month{static_cast<unsigned>(d.month)} /
                       day{static_cast<unsigned>(d.day)}}};
    return w == Saturday || w == Sunday;
}

std::vector<FaultHistory> planFaults(const RunOptions& options, Random& random) {
    int n = options.day.detectors;
    int days = options.days;
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        order[static_cast<size_t>(i)] = i;
    for (int i = n - 1; i > 0; --i)
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(random.integer(0, i))]);
    int faulty = static_cast<int>(std::lround(std::clamp(options.day.faultShare, 0.0, 1.0) * n));
    std::vector<FaultHistory> histories;
    for (int f = 0; f < faulty; ++f) {
        FaultHistory h{order[static_cast<size_t>(f)], static_cast<Fault>(1 + f % kFaultKinds),
                       std::vector<bool>(static_cast<size_t>(days), false)};
        auto course = static_cast<FaultCourse>(f % kCourses);
        int turn = days > 1 ? random.integer(1, days - 1) : 0;  // the day it appears or goes
        if (course == FaultCourse::Undercount) {
            h.fault = Fault::Undercount;
            h.countedShare = random.uniform(0.55, 0.65);
        }
        for (int d = 0; d < days; ++d) {
            bool shows = true;
            switch (course) {
                case FaultCourse::Persistent:
                    break;
                case FaultCourse::Appears:
                case FaultCourse::Undercount:
                    shows = d >= turn;
                    break;
                case FaultCourse::Disappears:
                    shows = d < turn;
                    break;
                case FaultCourse::Flaps:
                    shows = random.integer(0, 1) == 1;
                    break;
            }
            h.shows[static_cast<size_t>(d)] = shows;
        }
        histories.push_back(std::move(h));
    }
    return histories;
}

}  // namespace

std::vector<RunDay> planRun(const RunOptions& options) {
    if (options.days < 1) throw SorvaneError(kErrInvalidInput, "A run needs at least one day");
    Date date = parseDate(options.start);
    Random random(options.day.seed ^ 0xD1CE5EEDull);
    std::vector<FaultHistory> histories = planFaults(options, random);
    std::vector<RunDay> run;
    for (int d = 0; d < options.days; ++d, date = nextDay(date)) {
        RunDay day{dateText(date), options.day};
        day.options.seed = options.day.seed * 1000003ull + static_cast<uint64_t>(d);
        day.options.laneSeed = options.day.seed * 7919ull + 1;
        day.options.volumeShare =
            (isWeekend(date) ? kWeekendShare : 1.0) * (d == options.days / 3 ? kHolidayShare : 1.0);
        day.options.faults.assign(static_cast<size_t>(options.day.detectors), Fault::None);
        day.options.countedShare.assign(static_cast<size_t>(options.day.detectors), 1.0);
        for (const FaultHistory& h : histories) {
            if (!h.shows[static_cast<size_t>(d)]) continue;
            day.options.faults[static_cast<size_t>(h.detector)] = h.fault;
            day.options.countedShare[static_cast<size_t>(h.detector)] = h.countedShare;
        }
        if (d == options.days / 2) day.options.feedOutage = kRunFeedOutage;
        run.push_back(std::move(day));
    }
    return run;
}

}  // namespace sorvane::synth
