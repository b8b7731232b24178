#include "mkarchive/synthetic_network.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "mkarchive/random.h"

namespace sorvane::synth {

namespace {

constexpr std::array<std::string_view, 6> kCorridors{"I-94 E",  "I-94 W",  "US 10 E",
                                                     "US 10 W", "MN 36 E", "MN 36 W"};
constexpr std::array<std::string_view, 12> kCrossStreets{
    "Snelling Ave", "Lexington Pkwy", "Dale St",   "Rice St",     "Cretin Ave",   "Fairview Ave",
    "Hamline Ave",  "Victoria St",    "Marion St", "Mounds Blvd", "Johnson Pkwy", "White Bear Ave"};

// Walks a corridor node by node, handing out station and controller names.
class NetworkBuilder {
  public:
    NetworkBuilder(int detectors, uint64_t seed)
        : left_(detectors), random_(seed ^ 0x4E7C0DE5ull) {}

    std::vector<NetworkDetector> build() {
        const int corridors = std::clamp((left_ + 59) / 60, 1, static_cast<int>(kCorridors.size()));
        const int perCorridor = (left_ + corridors - 1) / corridors;
        for (int c = 0; c < corridors && left_ > 0; ++c) {
            corridor_ = c;
            milepost_ = random_.uniform(1.0, 5.0);
            int budget = std::min(perCorridor, left_);
            bool station = true;  // a corridor begins, and each interchange is followed, by one
            while (budget > 0) {
                int used = 0;
                if (station || budget < 2) {
                    used = budget == 1 ? addNode('X', {LaneKind::Exit}) : addStation(budget);
                    station = false;
                } else {
                    double r = random_.uniform();
                    if (r < 0.35) {
                        used = addNode('E', {LaneKind::Merge, LaneKind::Queue, LaneKind::Passage},
                                       budget);
                    } else if (r < 0.55) {
                        used = addNode('X', {LaneKind::Exit});
                    } else {
                        used = addStation(budget);
                    }
                    station = used > 0 && network_.back().kind != LaneKind::Mainline &&
                              network_.back().kind != LaneKind::Hov;
                }
                budget -= used;
                left_ -= used;
            }
        }
        abandonSome();
        return std::move(network_);
    }

  private:
    int addStation(int budget) {
        int lanes = std::min(random_.integer(2, 5), budget);
        std::vector<LaneKind> kinds(static_cast<size_t>(lanes), LaneKind::Mainline);
        if (lanes < budget && random_.uniform() < 0.2) kinds.push_back(LaneKind::Hov);
        return addNode('S', kinds);
    }

    // A node: one station of the given detectors (cut to the budget), its controller usually
    // its own, sometimes the previous node's.
    int addNode(char prefix, const std::vector<LaneKind>& kinds, int budget = 1 << 30) {
        ++nodes_;
        std::string station = prefix + std::to_string(100 + nodes_);
        bool shares = lastController_ && !lastShared_ && random_.uniform() < 0.15;
        if (!shares) lastController_ = "C" + std::to_string(100 + ++controllers_);
        lastShared_ = shares;
        std::string label =
            std::string(kCrossStreets[static_cast<size_t>(nodes_) % kCrossStreets.size()]);
        const bool east = corridor_ % 2 == 0;
        const double lat = 44.90 + 0.04 * (corridor_ / 2) + 0.002 * milepost_;
        const double lon = -93.40 + (east ? 0.019 : -0.019) * milepost_ + (east ? 0.0 : 0.5);
        int used = std::min(static_cast<int>(kinds.size()), budget);
        for (int i = 0; i < used; ++i) {
            NetworkDetector d;
            d.station = station;
            d.lane = i + 1;
            d.kind = kinds[static_cast<size_t>(i)];
            d.corridor = std::string(kCorridors[static_cast<size_t>(corridor_)]);
            d.milepost = milepost_;
            d.latitude = lat;
            d.longitude = lon;
            d.label = label;
            d.controller = *lastController_;
            d.fieldLength = isRamp(d.kind) ? 20 : 24;
            network_.push_back(std::move(d));
        }
        milepost_ += random_.uniform(0.3, 0.9);
        return used;
    }

    // About one detector in a hundred.
    void abandonSome() {
        const int count = static_cast<int>(network_.size()) / 100;
        for (int a = 0; a < count; ++a) {
            auto at =
                static_cast<size_t>(random_.integer(0, static_cast<int>(network_.size()) - 1));
            network_[at].abandoned = true;
        }
    }

    int left_;
    Random random_;
    std::vector<NetworkDetector> network_;
    int corridor_ = 0;
    double milepost_ = 0.0;
    int nodes_ = 0;
    int controllers_ = 0;
    std::optional<std::string> lastController_;
    bool lastShared_ = false;
};

std::string number(const char* format, double value) {
    char text[40];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string_view laneKindName(LaneKind kind) {
    switch (kind) {
        case LaneKind::Mainline:
            return "mainline";
        case LaneKind::Hov:
            return "hov";
        case LaneKind::Merge:
            return "merge";
        case LaneKind::Queue:
            return "queue";
        case LaneKind::Passage:
            return "passage";
        case LaneKind::Exit:
            return "exit";
    }
    return "mainline";
}

std::vector<NetworkDetector> planNetwork(int detectors, uint64_t seed) {
    return NetworkBuilder(std::max(detectors, 0), seed).build();
}

std::string inventoryCsv(const std::vector<NetworkDetector>& network, int firstDetector) {
    std::string csv =
        "detector,station,lane,lane_type,corridor,milepost,latitude,longitude,label,controller,"
        "field_length,abandoned\n";
    for (size_t i = 0; i < network.size(); ++i) {
        const NetworkDetector& d = network[i];
        csv += std::to_string(firstDetector + static_cast<int>(i)) + ',' + d.station + ',' +
               std::to_string(d.lane) + ',' + std::string(laneKindName(d.kind)) + ',' + d.corridor +
               ',' + number("%.2f", d.milepost) + ',' + number("%.6f", d.latitude) + ',' +
               number("%.6f", d.longitude) + ',' + d.label + ',' + d.controller + ',' +
               std::to_string(d.fieldLength) + ',' + (d.abandoned ? "true" : "false") + '\n';
    }
    return csv;
}

}  // namespace sorvane::synth
