#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::synth {

// The kinds of detector a synthetic network has, named as the inventory CSV names lane types.
enum class LaneKind { Mainline, Hov, Merge, Queue, Passage, Exit };

std::string_view laneKindName(LaneKind kind);

// Whether a detector of this kind counts the traffic of a ramp, with a day of its own.
inline bool isRamp(LaneKind kind) {
    return kind == LaneKind::Merge || kind == LaneKind::Queue || kind == LaneKind::Passage ||
           kind == LaneKind::Exit;
}

// One detector of the network, in the order of the run's detectors.
struct NetworkDetector {
    std::string station;
    int lane = 1;
    LaneKind kind = LaneKind::Mainline;
    std::string corridor;
    double milepost = 0.0;
    double latitude = 0.0;
    double longitude = 0.0;
    std::string label;
    std::string controller;
    int fieldLength = 24;  // feet
    bool abandoned = false;
};

// A network for `detectors` detectors: corridors of stations, each of 2 to 5 mainline lanes and
// sometimes an HOV lane, with on-ramps (a merge, a queue and a passage detector) and exits
// between them. Usually one controller per station; sometimes one serves two neighbouring
// stations. About one detector in a hundred is abandoned. The same seed gives the same network.
std::vector<NetworkDetector> planNetwork(int detectors, uint64_t seed);

// The network as an inventory CSV, detector numbers from `firstDetector` on.
std::string inventoryCsv(const std::vector<NetworkDetector>& network, int firstDetector);

}  // namespace sorvane::synth
