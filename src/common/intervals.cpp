#include "common/intervals.h"

namespace sorvane {

const IntervalSpec& intervalAt(int position) {
    if (position < 0 || position >= static_cast<int>(kIntervals.size())) return kIntervals[0];
    return kIntervals[static_cast<size_t>(position)];
}

std::optional<int> intervalPosition(std::string_view label) {
    for (size_t i = 0; i < kIntervals.size(); ++i) {
        if (kIntervals[i].label == label) return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace sorvane
