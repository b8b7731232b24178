#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_network.h"

namespace sorvane::synth {

// The faults a synthetic detector can show, each one that the health test looks for.
enum class Fault {
    None,
    MissingData,       // communication failure: volume 255, occupancy 0xFFFF for hours
    Dead,              // zeros all day
    LockedOn,          // occupancy stuck at 100 % for a stretch
    PulseMode,         // occupancy a fixed multiple of the volume
    OccSpikes,         // isolated occupancy jumps
    VolSpikes,         // isolated volume jumps
    Overcount,         // counts far above what a lane carries
    VolumeAtHighOcc,   // high occupancy with traffic still flowing
    Erratic,           // five-minute volumes scattering at equal occupancy
    Undercount,        // counts a share of its traffic, plausibly: no single day shows it
    Abandoned,         // out of service on purpose: zeros all day
    StationOutage,     // silent with the other lanes of its station for a while (a SilentSpan)
    ControllerOutage,  // silent with every detector of its controller for a while (a SilentSpan)
    Swapped,  // its number and a neighbouring lane's are swapped: it carries that lane's traffic
};
constexpr int kFaultKinds = 9;  // dealt round in turn; a run deals Undercount on its own

std::string_view faultName(Fault fault);

enum class OccEncoding { O30, C30, Mixed };
enum class MemberOrder { Grouped, VolumesFirst };

// An outage of the whole feed: slots first to last missing (volume 255, occupancy 0xFFFF) at
// about `share` of the detectors.
struct FeedOutageSpan {
    int firstSlot = 0;
    int lastSlot = 0;
    double share = 1.0;
};

// Detectors silent together (volume 255, occupancy 0xFFFF) from the first slot to the last: a
// station's or a controller's outage. Detectors are positions in the day.
struct SilentSpan {
    int firstSlot = 0;
    int lastSlot = 0;
    std::vector<int> detectors;
};

struct DayOptions {
    int detectors = 150;
    int firstDetector = 100;
    uint64_t seed = 1;
    double faultShare = 0.15;  // share of detectors with a fault, spread over the kinds
    OccEncoding occupancy = OccEncoding::O30;
    std::vector<Fault> faults{};  // when not empty: each detector's fault, in place of faultShare
    std::optional<FeedOutageSpan> feedOutage{};
    // A run keeps each detector's lane from day to day: drawn from this seed and the detector's
    // place, not from the day's numbers (0: from the day's, as a single day has them). A run's
    // day also varies each detector's traffic by up to 2 %.
    uint64_t laneSeed = 0;
    double volumeShare = 1.0;  // of the lanes' usual traffic: lower on weekends and holidays
    // When not empty: each detector's share of its traffic that it counts (Undercount).
    std::vector<double> countedShare{};
    // When not empty: each detector's kind; ramp detectors get traffic of their own (lighter,
    // and at queue detectors silent for hours at night and stopped under queues in the morning
    // peak of a weekday), drawn apart so that the mainline lanes keep their numbers.
    std::vector<LaneKind> laneKinds{};
    std::vector<SilentSpan> silences{};
    std::vector<std::pair<int, int>> swaps{};  // positions whose data trade places
};

// The share of its traffic profile a run's detector at this position carries, as makeDay draws
// it from the run's lane seed.
double laneDemandFactor(uint64_t laneSeed, int position);

// One generated detector: its raw member bytes as an archive stores them.
struct SyntheticDetector {
    int16_t number = 0;
    Fault fault = Fault::None;
    bool c30 = false;
    std::vector<uint8_t> volume;     // 2880 bytes
    std::vector<uint8_t> occupancy;  // 5760 bytes, big-endian tenths ("o30") or 1/18 % ("c30")
};

// A whole synthetic day; the same options always give the same bytes. Throws SorvaneError
// when a detector number would leave -32768..32767.
std::vector<SyntheticDetector> makeDay(const DayOptions& options);

// The archive members of a day in the given order ("100.v30", "100.o30", ...).
std::vector<ArchiveMember> archiveMembers(const std::vector<SyntheticDetector>& day,
                                          MemberOrder order);

}  // namespace sorvane::synth
