#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "history/count_drift.h"
#include "history/inventory.h"

namespace sorvane::history {

// This many share days among its recent days, the last of them with a reference a share day,
// make a lane whose share of its station is off.
constexpr int kShareDaysForLabel = 3;

// The lanes of one station whose shares are compared: its detectors of the through-traffic
// lane types (mainline, auxiliary, cd, hov, hot), at least two of them.
using StationLanes = std::vector<int16_t>;

// The stations of an inventory with at least two such lanes, abandoned detectors included (they
// are lanes of the station all the same).
std::vector<StationLanes> shareStations(const Inventory& inventory);

struct LaneShareResult {
    int16_t det = 0;
    double delta = 0.0;  // its share minus its reference share
    bool shareDay = false;
};

// Judges each lane's share of its station's volume against the median of its shares over the 56
// days before on which every lane of the station (as the inventory of the judged day has it)
// qualified; at least 5 such days, else no check. A share day is one whose share lies more than
// max(0.05, 0.2 x reference) away from it: two lanes swapped in the configuration, or one that
// counts too little against its neighbours.
class LaneShare {
  public:
    LaneShare();

    // A date's baseline volumes (`day` as dayNumber counts, dates in order) and the stations of
    // the inventory in force that date; returns the lanes that have a reference share.
    std::vector<LaneShareResult> addDay(int day, const std::vector<StationLanes>& stations,
                                        const std::vector<DetectorVolume>& volumes);

  private:
    struct PastVolume {
        int day;
        double volume;
    };
    // A station's reference days, kept from one check to the next: each date is taken in once
    // and leaves once, and the medians are read from the lanes' sorted shares.
    struct Window {
        int through = 0;  // the dates before this are taken in
        bool started = false;
        std::deque<int> days;                     // the reference days held, oldest first
        std::deque<double> shares;                // their shares, lane by lane, day by day
        std::vector<std::vector<double>> sorted;  // per lane: its shares held, ascending
    };
    void slide(Window& window, const StationLanes& lanes, int day);

    // Per detector number + 32768: its baseline volumes of the last 56 days, oldest first.
    std::vector<std::vector<PastVolume>> past_;
    std::vector<double> today_;  // per detector number + 32768; NaN when it does not qualify
    std::map<StationLanes, Window> windows_;
};

}  // namespace sorvane::history
