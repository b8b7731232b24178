#include "history/lane_share.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace sorvane::history {

namespace {

constexpr int kReferenceSpanDays = 56;
constexpr size_t kMinReferenceDays = 5;
constexpr double kMinShareBound = 0.05;
constexpr double kShareBoundPerReference = 0.2;

bool isThroughLane(LaneType type) {
    return type == LaneType::Mainline || type == LaneType::Auxiliary || type == LaneType::Cd ||
           type == LaneType::Hov || type == LaneType::Hot;
}

size_t slotOf(int16_t det) {
    return static_cast<size_t>(det + 32768);
}

}  // namespace

std::vector<StationLanes> shareStations(const Inventory& inventory) {
    std::map<std::string, StationLanes> byStation;
    for (const InventoryRow& row : inventory.rows) {
        if (isThroughLane(row.laneType)) byStation[row.station].push_back(row.det);
    }
    std::vector<StationLanes> stations;
    for (auto& [name, lanes] : byStation) {
        if (lanes.size() >= 2) stations.push_back(std::move(lanes));
    }
    return stations;
}

LaneShare::LaneShare() : past_(65536), today_(65536, std::nan("")) {}

void LaneShare::slide(Window& window, const StationLanes& lanes, int day) {
    const int oldest = day - kReferenceSpanDays;
    while (!window.days.empty() && window.days.front() < oldest) {
        for (std::vector<double>& sorted : window.sorted) {
            sorted.erase(std::lower_bound(sorted.begin(), sorted.end(), window.shares.front()));
            window.shares.pop_front();
        }
        window.days.pop_front();
    }
    const int from = window.started ? std::max(window.through, oldest) : oldest;
    window.started = true;
    window.through = day;
    window.sorted.resize(lanes.size());

    // The dates since the last check on which every lane has a volume.
    auto firstFrom = [&](int16_t det) {
        const std::vector<PastVolume>& past = past_[slotOf(det)];
        return static_cast<size_t>(
            std::lower_bound(past.begin(), past.end(), from,
                             [](const PastVolume& p, int d) { return p.day < d; }) -
            past.begin());
    };
    std::vector<size_t> at(lanes.size());
    for (size_t l = 0; l < lanes.size(); ++l)
        at[l] = firstFrom(lanes[l]);
    std::vector<double> volumesOn(lanes.size());
    const std::vector<PastVolume>& first = past_[slotOf(lanes[0])];
    for (size_t i = at[0]; i < first.size() && first[i].day < day; ++i) {
        const PastVolume& p = first[i];
        double sum = p.volume;
        volumesOn[0] = p.volume;
        bool held = true;
        for (size_t l = 1; l < lanes.size() && held; ++l) {
            const std::vector<PastVolume>& past = past_[slotOf(lanes[l])];
            while (at[l] < past.size() && past[at[l]].day < p.day)
                ++at[l];
            held = at[l] < past.size() && past[at[l]].day == p.day;
            if (held) {
                volumesOn[l] = past[at[l]].volume;
                sum += volumesOn[l];
            }
        }
        if (!held || !(sum > 0.0)) continue;
        window.days.push_back(p.day);
        for (size_t l = 0; l < lanes.size(); ++l) {
            double share = volumesOn[l] / sum;
            window.shares.push_back(share);
            std::vector<double>& sorted = window.sorted[l];
            sorted.insert(std::upper_bound(sorted.begin(), sorted.end(), share), share);
        }
    }
}

std::vector<LaneShareResult> LaneShare::addDay(int day, const std::vector<StationLanes>& stations,
                                               const std::vector<DetectorVolume>& volumes) {
    for (const DetectorVolume& v : volumes)
        today_[slotOf(v.det)] = v.volume;

    std::vector<LaneShareResult> found;
    for (const StationLanes& lanes : stations) {
        double total = 0.0;
        bool all = true;
        for (int16_t det : lanes) {
            double v = today_[slotOf(det)];
            if (std::isnan(v)) {
                all = false;
                break;
            }
            total += v;
        }
        if (!all || !(total > 0.0)) continue;

        Window& window = windows_[lanes];
        slide(window, lanes, day);
        if (window.days.size() < kMinReferenceDays) continue;
        for (size_t l = 0; l < lanes.size(); ++l) {
            const std::vector<double>& sorted = window.sorted[l];
            size_t middle = sorted.size() / 2;
            double reference = sorted.size() % 2 == 1 ? sorted[middle]
                                                      : (sorted[middle - 1] + sorted[middle]) / 2.0;
            double delta = today_[slotOf(lanes[l])] / total - reference;
            bool off =
                std::abs(delta) > std::max(kMinShareBound, kShareBoundPerReference * reference);
            found.push_back({lanes[l], delta, off});
        }
    }

    for (const DetectorVolume& v : volumes) {
        today_[slotOf(v.det)] = std::nan("");
        std::vector<PastVolume>& past = past_[slotOf(v.det)];
        // Days older than the span can serve no later date either; they go some at a time, as
        // moving the rest down each day costs more than the checks that skip them.
        if (past.size() > 2 * kReferenceSpanDays) {
            auto stale = std::find_if(past.begin(), past.end(), [&](const PastVolume& p) {
                return p.day >= day - kReferenceSpanDays;
            });
            past.erase(past.begin(), stale);
        }
        past.push_back({day, v.volume});
    }
    return found;
}

}  // namespace sorvane::history
