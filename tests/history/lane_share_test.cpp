#include "history/lane_share.h"

#include <gtest/gtest.h>

#include <cmath>

#include "history/inventory.h"

namespace sorvane::history {
namespace {

struct PastDay {
    int daysBefore;
    std::vector<DetectorVolume> volumes;  // the lanes that qualified that day
};

struct Check {
    double delta;
    bool shareDay;
};

// Lane 1's check on a date, in a station of lanes 1 and 2, after the dates before.
std::optional<Check> laneOneAfter(const std::vector<PastDay>& past,
                                  const std::vector<DetectorVolume>& today) {
    LaneShare share;
    const std::vector<StationLanes> stations = {{1, 2}};
    const int day = 20000;
    for (const PastDay& p : past)  // oldest first
        share.addDay(day - p.daysBefore, stations, p.volumes);
    for (const LaneShareResult& r : share.addDay(day, stations, today)) {
        if (r.det == 1) return Check{r.delta, r.shareDay};
    }
    return std::nullopt;
}

std::vector<PastDay> evenDays(int count, double laneOne, double laneTwo, int firstBefore = 1) {
    std::vector<PastDay> days;
    for (int i = count - 1; i >= 0; --i)
        days.push_back({firstBefore + i, {{1, laneOne}, {2, laneTwo}}});
    return days;
}

TEST(LaneShare, EachLaneAgainstItsStation) {
    struct Case {
        const char* what;
        std::vector<PastDay> past;
        std::vector<DetectorVolume> today;
        std::optional<double> delta;
        bool shareDay;
    };
    std::vector<PastDay> oneLaneOut = evenDays(5, 50, 50);
    oneLaneOut[2].volumes.pop_back();
    std::vector<PastDay> sixDays = evenDays(3, 50, 50, 10);
    for (const PastDay& p : evenDays(3, 40, 60))
        sixDays.push_back(p);
    // Checked every day for four months: only the last 56 days' shares are references.
    std::vector<PastDay> months = evenDays(120, 70, 30, 57);
    for (const PastDay& p : evenDays(6, 50, 50, 51))
        months.push_back(p);
    const Case cases[] = {
        {"four reference days are too few", evenDays(4, 50, 50), {{1, 70}, {2, 30}}, {}, false},
        {"five are enough", evenDays(5, 50, 50), {{1, 70}, {2, 30}}, 0.2, true},
        {"within 0.2 x reference", evenDays(5, 50, 50), {{1, 59}, {2, 41}}, 0.09, false},
        {"beyond it", evenDays(5, 50, 50), {{1, 61}, {2, 39}}, 0.11, true},
        {"at least 0.05 for a small share", evenDays(5, 10, 90), {{1, 14}, {2, 86}}, 0.04, false},
        {"beyond 0.05", evenDays(5, 10, 90), {{1, 16}, {2, 84}}, 0.06, true},
        {"a lane out today: no check", evenDays(5, 50, 50), {{1, 70}}, {}, false},
        {"a day a lane was out is no reference", oneLaneOut, {{1, 70}, {2, 30}}, {}, false},
        {"even count: the mean of the middle two", sixDays, {{1, 45}, {2, 55}}, 0.0, false},
        {"56 days back is in", evenDays(5, 50, 50, 52), {{1, 70}, {2, 30}}, 0.2, true},
        {"57 days back is out", evenDays(5, 50, 50, 53), {{1, 70}, {2, 30}}, {}, false},
        {"older references leave as the days go on", months, {{1, 50}, {2, 50}}, 0.0, false},
    };
    for (const Case& c : cases) {
        std::optional<Check> found = laneOneAfter(c.past, c.today);
        ASSERT_EQ(found.has_value(), c.delta.has_value()) << c.what;
        if (!found) continue;
        EXPECT_NEAR(found->delta, *c.delta, 1e-9) << c.what;
        EXPECT_EQ(found->shareDay, c.shareDay) << c.what;
    }
}

TEST(LaneShare, StationsOfThroughLanes) {
    Inventory inventory = inventoryFromCsv(
        "detector,station,lane_type\n1,A,mainline\n2,A,hov\n3,A,queue\n4,B,mainline\n5,B,exit\n",
        "inventory.csv");
    EXPECT_EQ(shareStations(inventory), (std::vector<StationLanes>{{1, 2}}));
}

}  // namespace
}  // namespace sorvane::history
