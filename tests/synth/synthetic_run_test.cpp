#include "mkarchive/synthetic_run.h"

#include <gtest/gtest.h>

namespace sorvane::synth {
namespace {

// The sum of the volumes of slots 600 to 2639 (05:00:00 to 21:59:30).
double daytimeVolume(const SyntheticDetector& d) {
    double sum = 0;
    for (size_t i = 600; i < 2640; ++i)
        sum += d.volume[i];
    return sum;
}

TEST(SyntheticRun, WeekdaysWeekendsAHolidayAndUndercounting) {
    // 14 days from Monday 2024-01-01: day 4 (a Friday) is the holiday, day 7 loses its feed.
    RunOptions options;
    options.day.detectors = 60;
    options.day.faultShare = 0.5;
    options.days = 14;
    options.start = "20240101";
    std::vector<RunDay> run = planRun(options);
    std::vector<std::vector<SyntheticDetector>> days;
    for (const RunDay& day : run)
        days.push_back(makeDay(day.options));
    auto volume = [&](size_t day, size_t det) { return daytimeVolume(days[day][det]); };
    auto faultless = [&](size_t det) {
        for (const auto& day : days) {
            if (day[det].fault != Fault::None) return false;
        }
        return true;
    };

    int healthy = 0, undercounting = 0;
    for (size_t det = 0; det < 60; ++det) {
        if (faultless(det)) {
            ++healthy;
            for (size_t day : {1, 2, 3, 5, 6})  // the same weekday a week later
                EXPECT_NEAR(volume(day + 7, det) / volume(day, det), 1.0, 0.1) << det << " " << day;
            EXPECT_NEAR(volume(5, det) / volume(3, det), 0.6, 0.1) << "Saturday, " << det;
            EXPECT_NEAR(volume(4, det) / volume(11, det), 0.55, 0.1) << "the holiday, " << det;
        }
        for (size_t day : {8, 9, 10, 12, 13}) {
            if (days[day][det].fault == Fault::Undercount &&
                days[day - 7][det].fault == Fault::None) {
                ++undercounting;
                EXPECT_NEAR(volume(day, det) / volume(day - 7, det), 0.6, 0.12) << det;
            }
        }
    }
    EXPECT_GT(healthy, 20);
    EXPECT_GT(undercounting, 0);
    EXPECT_EQ(faultName(Fault::Undercount), "undercount");
}

}  // namespace
}  // namespace sorvane::synth
