#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/detector_day.h"
#include "health/health_parameters.h"
#include "health/health_snapshot.h"
#include "mkarchive/archive_writer.h"

namespace sorvane::test {

// A raw day as the archive reader hands it out, built slot range by slot range.
struct RawDay {
    VolumeBytes vol{};
    Occupancies occ{};

    RawDay(uint8_t volume, float occupancy) {  // the whole day
        vol.fill(volume);
        occ.fill(occupancy);
    }
    // Slots first..last (inclusive).
    RawDay& volumes(int first, int last, uint8_t volume) {
        for (int i = first; i <= last; ++i)
            vol[static_cast<size_t>(i)] = volume;
        return *this;
    }
    RawDay& occupancies(int first, int last, float occupancy) {
        for (int i = first; i <= last; ++i)
            occ[static_cast<size_t>(i)] = occupancy;
        return *this;
    }
};

// The archive members of a detector: "<det>.v30" and "<det>.o30" (tenths of a percent).
inline std::vector<synth::ArchiveMember> membersOf(int det, const RawDay& day) {
    synth::ArchiveMember vol{std::to_string(det) + ".v30", {day.vol.begin(), day.vol.end()}};
    synth::ArchiveMember occ{std::to_string(det) + ".o30", {}};
    for (float o : day.occ) {
        auto raw = static_cast<uint16_t>(static_cast<int16_t>(std::lround(o * 10.0f)));
        occ.bytes.push_back(static_cast<uint8_t>(raw >> 8));
        occ.bytes.push_back(static_cast<uint8_t>(raw & 0xFF));
    }
    return {vol, occ};
}

inline modBaddet::HealthSnapshot factorySnapshot() {
    return modBaddet::takeHealthSnapshot(factoryParameterTexts());
}

}  // namespace sorvane::test
