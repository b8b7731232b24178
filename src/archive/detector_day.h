#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "common/intervals.h"

namespace sorvane {

// One thirty-second slot of a detector's day. In a cleaned day -1 / -1.0 mark a missing slot.
struct DetSlot {
    int16_t vol = 0;
    float occ = 0.0f;
};

// Slot i starts i * 30 seconds after midnight.
using DetectorDay = std::array<DetSlot, kSlotsPerDay>;

// The arrays the archive reader hands out: raw volume bytes and decoded occupancies (percent).
using VolumeBytes = std::array<uint8_t, kSlotsPerDay>;
using Occupancies = std::array<float, kSlotsPerDay>;

constexpr size_t kVolumeMemberBytes = kSlotsPerDay;
constexpr size_t kOccupancyMemberBytes = 2 * kSlotsPerDay;

// What a member shorter than a day yields for the slots it lacks: values that every consumer
// judges invalid (volume 255; occupancy raw value 0x7FFF, far above 100 %).
constexpr uint8_t kShortVolumeFill = 255;
constexpr uint8_t kShortOccupancyHigh = 0x7F;
constexpr uint8_t kShortOccupancyLow = 0xFF;

// The divisor of an occupancy member: 10 when its name contains "o30" (tenths of a percent),
// 18 otherwise ("c30": 1800 means 100 %).
double occupancyDivisor(std::string_view memberName);

// Decodes one big-endian signed 16-bit value into percent.
float decodeOccupancy(uint8_t high, uint8_t low, double divisor);

// Decodes a whole occupancy member (exactly kOccupancyMemberBytes bytes).
void decodeOccupancyMember(std::span<const uint8_t> bytes, double divisor, Occupancies& occ);

// The raw day: volume byte as 0..255, occupancy as decoded.
DetectorDay rawDayFrom(const VolumeBytes& vol, const Occupancies& occ);

}  // namespace sorvane
