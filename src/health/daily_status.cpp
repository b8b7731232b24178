#include "health/daily_status.h"

#include <array>
#include <cmath>

namespace sorvane {

namespace {

constexpr int kFirstSlot = 600;           // 05:00:00
constexpr int kSpanSlots = 2040;          // to 21:59:30
constexpr int kInsufficientBelow = 1224;  // 60 % of the span
constexpr int kCardOffPercent = 59;
constexpr int kHighValPercent = 20;
constexpr float kHighOccupancy = 70.0f;
constexpr int kVolumeWithoutOccupancyPercent = 2;
constexpr int kOccupancyWithoutVolumePercent = 50;
constexpr int kBinSlots = 10;
constexpr int kBins = kSpanSlots / kBinSlots;
constexpr int kConstantBins = 48;  // four hours
constexpr double kConstantLimit = 1e-5;

constexpr std::array<std::string_view, 7> kNames = {
    "No Data", "Insufficient Data", "Card Off", "High Val", "Intermittent", "Constant", "Good",
};

bool isPresent(uint8_t vol, float occ) {
    return vol < 128 && occ >= 0.0f && occ <= 100.0f;
}

// count is at least `percent` % of `present`, in whole numbers so that no rounding decides.
bool atLeastPercent(int count, int percent, int present) {
    return count * 100 >= percent * present;
}

// The five-minute bins of the span: the mean occupancy of their present samples (NaN without
// any).
using BinMeans = std::array<double, kBins>;

// Some kConstantBins consecutive bins, each with a sample, whose neighbours differ by less than
// kConstantLimit in all.
bool holdsConstant(const BinMeans& means) {
    for (int start = 0; start + kConstantBins <= kBins; ++start) {
        double change = 0.0;
        int b = start;
        if (std::isnan(means[static_cast<size_t>(b)])) continue;
        for (++b; b < start + kConstantBins; ++b) {
            double here = means[static_cast<size_t>(b)];
            if (std::isnan(here)) break;
            change += std::fabs(here - means[static_cast<size_t>(b) - 1]);
            if (!(change < kConstantLimit)) break;
        }
        if (b == start + kConstantBins && change < kConstantLimit) return true;
    }
    return false;
}

}  // namespace

std::string_view dailyStatusName(DailyStatus status) {
    return kNames[static_cast<size_t>(status)];
}

std::optional<DailyStatus> dailyStatusNamed(std::string_view name) {
    for (size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name) return static_cast<DailyStatus>(i);
    }
    return std::nullopt;
}

DailyStatus dailyStatus(const VolumeBytes& vol, const Occupancies& occ) {
    int present = 0, zeroOcc = 0, highOcc = 0, volumeWithoutOcc = 0, occWithoutVolume = 0;
    BinMeans means;
    for (int b = 0; b < kBins; ++b) {
        double sum = 0.0;
        int count = 0;
        for (int i = kFirstSlot + b * kBinSlots; i < kFirstSlot + (b + 1) * kBinSlots; ++i) {
            uint8_t v = vol[static_cast<size_t>(i)];
            float o = occ[static_cast<size_t>(i)];
            if (!isPresent(v, o)) continue;
            ++present;
            zeroOcc += o == 0.0f ? 1 : 0;
            highOcc += o > kHighOccupancy ? 1 : 0;
            volumeWithoutOcc += v == 0 && o > 0.0f ? 1 : 0;
            occWithoutVolume += o == 0.0f && v > 0 ? 1 : 0;
            sum += o;
            ++count;
        }
        means[static_cast<size_t>(b)] = count > 0 ? sum / count : std::nan("");
    }
    if (present == 0) return DailyStatus::NoData;
    if (present < kInsufficientBelow) return DailyStatus::InsufficientData;
    if (atLeastPercent(zeroOcc, kCardOffPercent, present)) return DailyStatus::CardOff;
    if (atLeastPercent(highOcc, kHighValPercent, present)) return DailyStatus::HighVal;
    if (atLeastPercent(volumeWithoutOcc, kVolumeWithoutOccupancyPercent, present) ||
        atLeastPercent(occWithoutVolume, kOccupancyWithoutVolumePercent, present)) {
        return DailyStatus::Intermittent;
    }
    if (holdsConstant(means)) return DailyStatus::Constant;
    return DailyStatus::Good;
}

}  // namespace sorvane
