#include "archive/detector_day.h"

namespace sorvane {

double occupancyDivisor(std::string_view memberName) {
    return memberName.find("o30") != std::string_view::npos ? 10.0 : 18.0;
}

float decodeOccupancy(uint8_t high, uint8_t low, double divisor) {
    auto raw = static_cast<int16_t>(static_cast<uint16_t>(high << 8 | low));
    return static_cast<float>(static_cast<double>(raw) / divisor);
}

void decodeOccupancyMember(std::span<const uint8_t> bytes, double divisor, Occupancies& occ) {
    for (size_t i = 0; i < occ.size(); ++i) {
        occ[i] = decodeOccupancy(bytes[2 * i], bytes[2 * i + 1], divisor);
    }
}

DetectorDay rawDayFrom(const VolumeBytes& vol, const Occupancies& occ) {
    DetectorDay day{};
    for (size_t i = 0; i < day.size(); ++i) {
        day[i].vol = vol[i];
        day[i].occ = occ[i];
    }
    return day;
}

}  // namespace sorvane
