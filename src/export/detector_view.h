#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

// Messages of loading a detector into the single-detector view.
inline constexpr std::string_view kMsgInvalidDetectorId =
    "You must enter a valid detector ID number.";
inline constexpr std::string_view kMsgDetectorNotExtracted =
    "Detector could not be extracted. Vol and Occ file pair do not exist!!!";

inline std::string detectorNotInDataMessage(int16_t det) {
    return "Detector ID=" + std::to_string(det) + " does not exist in the data.";
}

}  // namespace sorvane
