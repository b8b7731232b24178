#include "health/lane_types.h"

#include <algorithm>
#include <cctype>

namespace sorvane {

std::optional<LaneType> findLaneType(std::string_view name) {
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    for (size_t i = 0; i < kLaneTypeCount; ++i) {
        if (std::ranges::equal(kLaneTypeNames[i], name, {}, lower, lower))
            return static_cast<LaneType>(i);
    }
    return std::nullopt;
}

}  // namespace sorvane
