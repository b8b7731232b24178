#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/detector_day.h"
#include "archive/unzip.h"
#include "common/log.h"
#include "health/health_parameters.h"
#include "health/health_run.h"
#include "health/health_snapshot.h"
#include "mkarchive/archive_writer.h"
#include "support/test_support.h"

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

inline const RawDay kHealthyDay(5, 10.0f);

// Five-minute volumes of 0 and 24 in turn at 10 %: DevIndex 12, marginal.
inline RawDay marginalDay() {
    RawDay day(0, 10.0f);
    for (int bin = 1; bin < 288; bin += 2)
        day.volumes(bin * 10, bin * 10 + 3, 3).volumes(bin * 10 + 4, bin * 10 + 9, 2);
    return day;
}

// The archive members of the detectors' days: "<det>.v30" and "<det>.o30" (tenths of a
// percent); the last detector's occupancy member left out when asked.
inline std::vector<synth::ArchiveMember> membersOf(const std::vector<std::pair<int, RawDay>>& days,
                                                   bool lastLacksOccupancy = false) {
    std::vector<synth::ArchiveMember> members;
    for (const auto& [det, day] : days) {
        members.push_back({std::to_string(det) + ".v30", {day.vol.begin(), day.vol.end()}});
        synth::ArchiveMember occ{std::to_string(det) + ".o30", {}};
        for (float o : day.occ) {
            auto raw = static_cast<uint16_t>(static_cast<int16_t>(std::lround(o * 10.0f)));
            occ.bytes.push_back(static_cast<uint8_t>(raw >> 8));
            occ.bytes.push_back(static_cast<uint8_t>(raw & 0xFF));
        }
        members.push_back(std::move(occ));
    }
    if (lastLacksOccupancy) members.pop_back();
    return members;
}

inline modBaddet::HealthSnapshot factorySnapshot() {
    return modBaddet::takeHealthSnapshot(factoryParameterTexts());
}

// An archive of these members as "day.traffic" in a folder of its own, listed, and health test
// runs over it with the progress they report.
struct HealthArchive {
    explicit HealthArchive(const std::vector<synth::ArchiveMember>& members)
        : path(makeArchive(dir, "day.traffic", members)) {
        reader.ZipFileName(path);
        reader.zipList();
    }
    modBaddet::HealthRunResult run(int16_t det,
                                   const modBaddet::HealthSnapshot& s = factorySnapshot(),
                                   const modBaddet::DetectorDayObserver& observeDay = {},
                                   int jobs = 1) {
        progress.clear();
        return modBaddet::RunHealthTest(
            reader, log, s, det,
            [this](int position, int count, const auto&) {
                progress.emplace_back(position, count);
            },
            observeDay, jobs);
    }

    TempDir dir;
    std::string path;
    Log log;
    Unzip reader{log};
    std::vector<std::pair<int, int>> progress;
};

}  // namespace sorvane::test
