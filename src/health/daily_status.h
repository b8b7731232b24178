#pragma once

#include <optional>
#include <string_view>

#include "archive/detector_day.h"

namespace sorvane {

// A second opinion on a detector-day from simple counts over its daytime samples, as large
// state archives judge them (after Chen et al., 2003).
enum class DailyStatus { NoData, InsufficientData, CardOff, HighVal, Intermittent, Constant, Good };

// "No Data", "Insufficient Data", "Card Off", "High Val", "Intermittent", "Constant", "Good".
std::string_view dailyStatusName(DailyStatus status);
std::optional<DailyStatus> dailyStatusNamed(std::string_view name);

// The status of a raw day over slots 600 to 2639 (05:00:00 to 21:59:30); the first rule that
// holds decides.
DailyStatus dailyStatus(const VolumeBytes& vol, const Occupancies& occ);

}  // namespace sorvane
