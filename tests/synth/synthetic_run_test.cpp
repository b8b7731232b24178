#include "mkarchive/synthetic_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "history/inventory.h"

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

int silentSlots(const SyntheticDetector& d) {
    return static_cast<int>(std::count(d.volume.begin(), d.volume.end(), 255));
}

TEST(SyntheticRun, InventoryMatchesTheDaysAndTheUnitCoursesStrikeWholeUnits) {
    RunOptions options;
    options.day.detectors = 150;
    options.day.faultShare = 0.15;
    options.days = 10;
    const std::vector<NetworkDetector> network = runNetwork(options);
    const history::Inventory inventory = history::inventoryFromCsv(
        inventoryCsv(network, options.day.firstDetector), "inventory.csv");
    ASSERT_EQ(inventory.rows.size(), 150u);
    std::map<std::string, std::vector<int>> stations, controllers;
    std::set<std::string> types;
    for (int i = 0; i < 150; ++i) {
        const history::InventoryRow& row = inventory.rows[static_cast<size_t>(i)];
        EXPECT_EQ(row.det, options.day.firstDetector + i);
        types.insert(std::string(laneTypeName(row.laneType)));
        stations[row.station].push_back(i);
        controllers[row.controller].push_back(i);
    }
    EXPECT_EQ(types,
              (std::set<std::string>{"exit", "hov", "mainline", "merge", "passage", "queue"}));

    std::vector<RunDay> run = planRun(options);
    std::map<Fault, std::set<std::pair<size_t, int>>> struck;  // day, detector
    for (size_t day = 0; day < run.size(); ++day) {
        std::vector<SyntheticDetector> dets = makeDay(run[day].options);
        RunDay unswapped = run[day];
        unswapped.options.swaps.clear();
        std::vector<SyntheticDetector> plain = makeDay(unswapped.options);
        ASSERT_EQ(dets.size(), 150u);
        for (int i = 0; i < 150; ++i) {
            const SyntheticDetector& d = dets[static_cast<size_t>(i)];
            const NetworkDetector& n = network[static_cast<size_t>(i)];
            EXPECT_EQ(n.abandoned, d.fault == Fault::Abandoned);
            if (d.fault == Fault::Undercount) {
                EXPECT_EQ(n.kind, LaneKind::Mainline) << i;
            }
            if (d.fault == Fault::StationOutage || d.fault == Fault::ControllerOutage ||
                d.fault == Fault::Swapped) {
                struck[d.fault].insert({day, i});
            }
            if (n.kind == LaneKind::Queue && d.fault == Fault::None && day != run.size() / 2) {
                // silent from 19:40 to midnight at the latest
                EXPECT_EQ(std::count(d.volume.begin() + 2360, d.volume.end(), 0), 520) << i;
            }
            if (d.fault == Fault::StationOutage) {
                EXPECT_EQ(silentSlots(d), kStationOutageSlots);
            } else if (d.fault == Fault::ControllerOutage) {
                EXPECT_EQ(silentSlots(d), kControllerOutageSlots);
            }
        }
        for (auto [a, b] : run[day].options.swaps) {
            EXPECT_EQ(dets[static_cast<size_t>(a)].volume, plain[static_cast<size_t>(b)].volume);
            EXPECT_EQ(network[static_cast<size_t>(a)].station,
                      network[static_cast<size_t>(b)].station);
        }
    }
    // Each outage strikes the whole unit on one day; the swap two lanes of one station to the end.
    auto unitOf = [&](Fault fault, const std::map<std::string, std::vector<int>>& units) {
        std::set<int> dets;
        std::set<size_t> days;
        for (auto [day, det] : struck[fault]) {
            days.insert(day);
            dets.insert(det);
        }
        EXPECT_EQ(days.size(), 1u) << faultName(fault);
        EXPECT_NE(*days.begin(), run.size() / 2) << "not the feed outage's day";
        bool whole = false;
        for (const auto& [name, members] : units)
            whole = whole || std::set<int>(members.begin(), members.end()) == dets;
        EXPECT_TRUE(whole) << faultName(fault);
    };
    unitOf(Fault::StationOutage, stations);
    unitOf(Fault::ControllerOutage, controllers);
    std::set<int> swapped;
    std::set<size_t> swapDays;
    for (auto [day, det] : struck[Fault::Swapped]) {
        swapped.insert(det);
        swapDays.insert(day);
    }
    EXPECT_EQ(swapped.size(), 2u);
    EXPECT_TRUE(swapDays.contains(run.size() - 1));
    EXPECT_EQ(struck[Fault::Swapped].size(), 2 * swapDays.size());
}

}  // namespace
}  // namespace sorvane::synth
