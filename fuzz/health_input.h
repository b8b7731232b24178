#pragma once
// How the health fuzz target (and the tests of its findings) read bytes as a detector: 2880
// volume bytes, then an occupancy member of 5760 bytes, parts missing filled as the reader fills
// a short member. Any further bytes: a first byte whose lowest bit chooses "c30" scaling, then
// parameter texts, one per line in load order, in place of the factory values.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/detector_day.h"
#include "health/health_parameters.h"
#include "health/health_snapshot.h"

namespace sorvane::fuzz {

struct HealthInput {
    VolumeBytes vol;
    Occupancies occ;
    modBaddet::HealthSnapshot snapshot;
};

// Factory values with each line of `tail` in place of one; a set the test would refuse falls
// back to the factory values.
inline modBaddet::HealthSnapshot snapshotOf(std::string_view tail) {
    HealthParameterTexts texts = factoryParameterTexts();
    for (size_t i = 0; i < kHealthParamCount && !tail.empty(); ++i) {
        size_t nl = tail.find('\n');
        texts[i] = std::string(tail.substr(0, nl));
        tail = nl == std::string_view::npos ? std::string_view() : tail.substr(nl + 1);
    }
    try {
        return modBaddet::takeHealthSnapshot(texts);
    } catch (const modBaddet::HealthParameterError&) {
        return modBaddet::takeHealthSnapshot(factoryParameterTexts());
    }
}

inline HealthInput healthInputOf(std::span<const uint8_t> bytes) {
    HealthInput in;
    in.vol.fill(kShortVolumeFill);
    std::span<const uint8_t> volPart = bytes.first(std::min(bytes.size(), kVolumeMemberBytes));
    std::copy(volPart.begin(), volPart.end(), in.vol.begin());
    bytes = bytes.subspan(volPart.size());

    std::span<const uint8_t> occPart = bytes.first(std::min(bytes.size(), kOccupancyMemberBytes));
    std::vector<uint8_t> member(occPart.begin(), occPart.end() - occPart.size() % 2);
    while (member.size() < kOccupancyMemberBytes) {
        member.push_back(kShortOccupancyHigh);
        member.push_back(kShortOccupancyLow);
    }
    bytes = bytes.subspan(occPart.size());
    const bool c30 = !bytes.empty() && (bytes[0] & 1) != 0;
    decodeOccupancyMember(member, occupancyDivisor(c30 ? "1.c30" : "1.o30"), in.occ);

    std::string_view tail(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    in.snapshot = snapshotOf(tail.empty() ? tail : tail.substr(1));
    return in;
}

}  // namespace sorvane::fuzz
