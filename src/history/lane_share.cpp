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

std::vector<LaneShareResult> LaneShare::addDay(int day, const std::vector<StationLanes>& stations,
                                               const std::vector<DetectorVolume>& volumes) {
    for (const DetectorVolume& v : volumes)
        today_[slotOf(v.det)] = v.volume;

    std::vector<LaneShareResult> found;
    std::vector<size_t> at;                   // per lane: its next past volume
    std::vector<std::vector<double>> shares;  // per lane: its shares on the reference days
    std::vector<double> volumesOn;            // per lane, on one reference day
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

        // The reference days: the days of the span on which every lane has a volume.
        at.assign(lanes.size(), 0);
        if (shares.size() < lanes.size()) shares.resize(lanes.size());
        for (std::vector<double>& s : shares)
            s.clear();
        volumesOn.resize(lanes.size());
        const std::vector<PastVolume>& first = past_[slotOf(lanes[0])];
        for (const PastVolume& p : first) {
            if (p.day < day - kReferenceSpanDays || p.day >= day) continue;
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
            for (size_t l = 0; l < lanes.size(); ++l)
                shares[l].push_back(volumesOn[l] / sum);
        }
        if (shares[0].size() < kMinReferenceDays) continue;
        for (size_t l = 0; l < lanes.size(); ++l) {
            double reference = median(shares[l]);
            double delta = today_[slotOf(lanes[l])] / total - reference;
            bool off =
                std::abs(delta) > std::max(kMinShareBound, kShareBoundPerReference * reference);
            found.push_back({lanes[l], delta, off});
        }
    }

    for (const DetectorVolume& v : volumes) {
        today_[slotOf(v.det)] = std::nan("");
        std::vector<PastVolume>& past = past_[slotOf(v.det)];
        // Days older than the span can serve no later date either.
        if (!past.empty() && past.front().day < day - kReferenceSpanDays) {
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
