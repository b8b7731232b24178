#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

// Messages that the window shows and sorvane-cli prints alike. Texts that only the window shows
// stay in the window (app/); a message the core itself makes stays with the code that makes it.

// A detector number that is not one (the view's and the single health test's boxes, DET).
inline constexpr std::string_view kMsgInvalidDetectorId =
    "You must enter a valid detector ID number.";
inline constexpr std::string_view kMsgDetectorNoNotValid = "Detector no. is not valid";

inline std::string detectorNotInDataMessage(int16_t det) {
    return "Detector ID=" + std::to_string(det) + " does not exist in the data.";
}
inline constexpr std::string_view kMsgDetectorNotExtracted =
    "Detector could not be extracted. Vol and Occ file pair do not exist!!!";

// The export's inputs and its end. The window's message adds CR LF after the destination.
inline constexpr std::string_view kMsgNoDetectorIds = "You must enter one or more detector IDs";
inline constexpr std::string_view kMsgReenterIds =
    "Re-enter the detector IDs or reload them from a file.";
inline constexpr std::string_view kMsgCsvSavedIn = "The extracted csv file was saved in ";

}  // namespace sorvane
