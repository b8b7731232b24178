#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace sorvane {

// The kinds of lane a detector watches, as a center's detector inventory names them. A lane type
// may have health thresholds of its own (settings section "Param.<name>").
enum class LaneType : uint8_t {
    Mainline,
    Auxiliary,
    Cd,
    Hov,
    Hot,
    Shoulder,
    Reversible,
    Merge,
    Queue,
    Passage,
    Bypass,
    Green,
    Exit,
    Velocity,
    Parking,
    Other,
};

inline constexpr size_t kLaneTypeCount = 16;

// The names, indexed by LaneType.
inline constexpr std::array<std::string_view, kLaneTypeCount> kLaneTypeNames{
    "mainline", "auxiliary", "cd",     "hov",   "hot",  "shoulder", "reversible", "merge",
    "queue",    "passage",   "bypass", "green", "exit", "velocity", "parking",    "other",
};

inline std::string_view laneTypeName(LaneType type) {
    return kLaneTypeNames[static_cast<size_t>(type)];
}

// The lane type of a name in any letter case; nullopt for a name that is none.
std::optional<LaneType> findLaneType(std::string_view name);

}  // namespace sorvane
