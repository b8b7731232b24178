#include "mkarchive/synthetic_day.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/error.h"
#include "mkarchive/random.h"

namespace sorvane::synth {

namespace {

constexpr int kSlots = 2880;

double gauss(double x, double mu, double sigma) {
    double d = (x - mu) / sigma;
    return std::exp(-0.5 * d * d);
}

double smoothstep(double edge0, double edge1, double x) {
    double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Demand of a freeway lane in vehicles per hour at an hour of the day: night lows, a morning
// and an evening peak, a daytime plateau.
double laneDemand(double hour) {
    double plateau = smoothstep(5.0, 8.0, hour) * (1.0 - smoothstep(19.0, 23.5, hour));
    return 90.0 + 750.0 * plateau + 900.0 * gauss(hour, 7.75, 1.0) +
           950.0 * gauss(hour, 17.25, 1.3);
}

// Traits of one lane detector.
struct Lane {
    double demandFactor;     // scales the demand profile
    double freeSpeed;        // km/h
    double effectiveLength;  // vehicle plus detector length, metres
    bool congests;           // breaks down in the peaks
};

Lane laneOf(Random& random) {
    return {random.uniform(0.55, 1.0), random.uniform(92.0, 112.0), random.uniform(5.8, 7.2),
            random.uniform() < 0.12};
}

struct Slot {
    int volume;
    double occupancy;  // percent
};

// A plausible day: Poisson counts around the demand, occupancy from flow, speed and length.
// `scale` is the share of the lane's usual traffic that the detector counts.
std::vector<Slot> healthyDay(const Lane& lane, double scale, Random& random) {
    std::vector<Slot> day(kSlots);
    for (int i = 0; i < kSlots; ++i) {
        double hour = i / 120.0;
        double demand = laneDemand(hour) * lane.demandFactor * scale;
        double speed = lane.freeSpeed * (1.0 + 0.05 * random.normal());
        if (lane.congests) {
            double jam = std::max(gauss(hour, 7.9, 0.6), gauss(hour, 17.4, 0.8));
            speed *= 1.0 - 0.7 * jam;
            demand *= 1.0 - 0.25 * jam;
        }
        int volume = random.poisson(demand / 120.0);
        double length = lane.effectiveLength * (1.0 + 0.15 * random.normal());
        double occupancy = volume == 0 ? 0.0 : volume * 12.0 * length / std::max(speed, 8.0);
        day[static_cast<size_t>(i)] = {volume, std::clamp(occupancy, 0.0, 99.0)};
    }
    return day;
}

// A ramp detector's day: a share of the lane profile at ramp speeds. A queue detector sees no car
// from about 19:30 to 05:30, and on a weekday (full traffic) sits under a stopped queue for 20
// to 28 minutes of the morning peak.
std::vector<Slot> rampDay(LaneKind kind, const Lane& lane, double scale, Random& random) {
    const bool queue = kind == LaneKind::Queue;
    const double share = kind == LaneKind::Merge ? 0.45 : kind == LaneKind::Exit ? 0.4 : 0.35;
    const double speed = kind == LaneKind::Merge || kind == LaneKind::Exit
                             ? lane.freeSpeed * 0.75
                             : random.uniform(35.0, 50.0);
    const double quietFrom = random.uniform(19.33, 19.67);
    const double quietTo = random.uniform(5.25, 5.75);
    std::vector<Slot> day(kSlots);
    for (int i = 0; i < kSlots; ++i) {
        double hour = i / 120.0;
        double demand = laneDemand(hour) * lane.demandFactor * share * scale;
        if (queue) {
            demand *= smoothstep(quietTo, quietTo + 1.0, hour) *
                      (1.0 - smoothstep(quietFrom - 1.0, quietFrom, hour));
        }
        int volume = random.poisson(demand / 120.0);
        double length = lane.effectiveLength * (1.0 + 0.15 * random.normal());
        double s = speed * (1.0 + 0.08 * random.normal());
        double occupancy = volume == 0 ? 0.0 : volume * 12.0 * length / std::max(s, 8.0);
        day[static_cast<size_t>(i)] = {volume, std::clamp(occupancy, 0.0, 99.0)};
    }
    if (queue && scale >= 0.9) {
        int start = random.integer(870, 960);  // 07:15 to 08:00
        int length = random.integer(40, 56);
        for (int i = start; i < start + length; ++i)
            day[static_cast<size_t>(i)] = {0, 100.0};
    }
    return day;
}

void applyFault(Fault fault, std::vector<Slot>& day, Random& random) {
    switch (fault) {
        case Fault::None:
        case Fault::MissingData:    // written at encoding time
        case Fault::Undercount:     // counted from the start: healthyDay's scale
        case Fault::StationOutage:  // the day's silences
        case Fault::ControllerOutage:
        case Fault::Swapped:  // the day's swaps
            break;
        case Fault::Abandoned:
        case Fault::Dead:
            for (Slot& s : day)
                s = {0, 0.0};
            break;
        case Fault::LockedOn: {
            int start = random.integer(200, 2000);
            int length = random.integer(60, 360);
            for (int i = start; i < std::min(kSlots, start + length); ++i)
                day[static_cast<size_t>(i)] = {0, 100.0};
            break;
        }
        case Fault::PulseMode:
            for (Slot& s : day)
                s.occupancy = s.volume * 0.7;
            break;
        case Fault::OccSpikes:
            for (int n = 0; n < 60; ++n) {
                Slot& s = day[static_cast<size_t>(random.integer(2, kSlots - 3))];
                s.occupancy = std::min(99.0, s.occupancy + random.uniform(50.0, 80.0));
            }
            break;
        case Fault::VolSpikes:
            for (int n = 0; n < 50; ++n) {
                Slot& s = day[static_cast<size_t>(random.integer(2, kSlots - 3))];
                s.volume = std::min(60, s.volume + random.integer(22, 30));
            }
            break;
        case Fault::Overcount:
            // Chatter: a steady stream of false pulses on top of the real counts, all day.
            for (Slot& s : day)
                s.volume = std::min(120, s.volume + random.integer(24, 26));
            break;
        case Fault::VolumeAtHighOcc: {
            // Three hours of traffic flowing at occupancies of 85 % and more; each five-minute
            // bin holds one occupancy level, so the levels spread over the top of the range.
            int start = random.integer(50, 180) * 10;
            for (int bin = 0; bin < 36; ++bin) {
                double level = random.uniform(85.6, 99.4);
                for (int i = start + bin * 10; i < start + bin * 10 + 10; ++i) {
                    day[static_cast<size_t>(i)] = {random.integer(11, 15),
                                                   level + random.uniform(-0.3, 0.3)};
                }
            }
            break;
        }
        case Fault::Erratic: {
            // A sensitivity that drifts between half and one and a half within an hour or so:
            // five-minute volumes scatter at equal occupancy, while neighbouring slots stay
            // alike (vehicles are dropped or added one by one, not scaled).
            double period = random.uniform(80.0, 160.0);  // slots
            double phase = random.uniform(0.0, 2.0 * kPi);
            for (int i = 0; i < kSlots; ++i) {
                Slot& s = day[static_cast<size_t>(i)];
                double factor = 1.0 + 0.5 * std::sin(2.0 * kPi * i / period + phase);
                if (factor < 1.0) {
                    int kept = 0;
                    for (int v = 0; v < s.volume; ++v)
                        kept += random.uniform() < factor ? 1 : 0;
                    s.volume = kept;
                } else {
                    s.volume += random.poisson(s.volume * (factor - 1.0));
                }
            }
            break;
        }
    }
}

void putOccupancy(std::vector<uint8_t>& bytes, int slot, int raw) {
    auto value = static_cast<uint16_t>(static_cast<int16_t>(raw));
    bytes[static_cast<size_t>(2 * slot)] = static_cast<uint8_t>(value >> 8);
    bytes[static_cast<size_t>(2 * slot + 1)] = static_cast<uint8_t>(value & 0xFF);
}

SyntheticDetector encode(int16_t number, Fault fault, bool c30, const std::vector<Slot>& day,
                         Random& random) {
    SyntheticDetector det{number, fault, c30, std::vector<uint8_t>(kSlots),
                          std::vector<uint8_t>(2 * kSlots)};
    double scale = c30 ? 18.0 : 10.0;
    for (int i = 0; i < kSlots; ++i) {
        const Slot& s = day[static_cast<size_t>(i)];
        det.volume[static_cast<size_t>(i)] = static_cast<uint8_t>(std::clamp(s.volume, 0, 254));
        putOccupancy(det.occupancy, i, static_cast<int>(std::lround(s.occupancy * scale)));
    }
    if (fault == Fault::MissingData) {
        int start = random.integer(0, 1400);
        int length = random.integer(720, 1400);  // six to about twelve hours
        for (int i = start; i < std::min(kSlots, start + length); ++i) {
            det.volume[static_cast<size_t>(i)] = 255;
            putOccupancy(det.occupancy, i, -1);  // 0xFFFF
        }
    }
    return det;
}

// Which detectors are faulty: a seeded shuffle, faults dealt round the kinds in turn.
std::vector<Fault> dealFaults(int n, double faultShare, Random& random) {
    std::vector<Fault> faults(static_cast<size_t>(n), Fault::None);
    int faulty = static_cast<int>(std::lround(std::clamp(faultShare, 0.0, 1.0) * n));
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        order[static_cast<size_t>(i)] = i;
    for (int i = n - 1; i > 0; --i)
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(random.integer(0, i))]);
    for (int f = 0; f < faulty; ++f) {
        faults[static_cast<size_t>(order[static_cast<size_t>(f)])] =
            static_cast<Fault>(1 + f % kFaultKinds);
    }
    return faults;
}

// The feed went down: the span's slots are missing at the detectors it reached.
void applyFeedOutage(const FeedOutageSpan& span, uint64_t seed,
                     std::vector<SyntheticDetector>& day) {
    Random random(seed ^ 0x5EEDFEEDull);  // apart from the traffic's numbers
    for (SyntheticDetector& d : day) {
        if (random.uniform() >= span.share) continue;
        for (int i = std::max(0, span.firstSlot); i <= std::min(kSlots - 1, span.lastSlot); ++i) {
            d.volume[static_cast<size_t>(i)] = 255;
            putOccupancy(d.occupancy, i, -1);
        }
    }
}

}  // namespace

std::string_view faultName(Fault fault) {
    switch (fault) {
        case Fault::None:
            return "none";
        case Fault::MissingData:
            return "missing-data";
        case Fault::Dead:
            return "dead";
        case Fault::LockedOn:
            return "locked-on";
        case Fault::PulseMode:
            return "pulse-mode";
        case Fault::OccSpikes:
            return "occ-spikes";
        case Fault::VolSpikes:
            return "vol-spikes";
        case Fault::Overcount:
            return "overcount";
        case Fault::VolumeAtHighOcc:
            return "volume-at-high-occ";
        case Fault::Erratic:
            return "erratic";
        case Fault::Undercount:
            return "undercount";
        case Fault::Abandoned:
            return "abandoned";
        case Fault::StationOutage:
            return "station-outage";
        case Fault::ControllerOutage:
            return "controller-outage";
        case Fault::Swapped:
            return "swapped";
    }
    return "none";
}

std::vector<SyntheticDetector> makeDay(const DayOptions& options) {
    long last = static_cast<long>(options.firstDetector) + options.detectors - 1;
    if (options.detectors < 0 || options.firstDetector < -32768 || last > 32767) {
        throw SorvaneError(kErrInvalidInput, "Detector numbers must stay within -32768..32767");
    }
    Random random(options.seed);
    int n = options.detectors;
    std::vector<Fault> faults = options.faults;
    if (faults.empty()) {
        faults = dealFaults(n, options.faultShare, random);
    } else if (faults.size() != static_cast<size_t>(n)) {
        throw SorvaneError(kErrInvalidInput, "One fault per detector is needed");
    }
    if (!options.countedShare.empty() && options.countedShare.size() != static_cast<size_t>(n))
        throw SorvaneError(kErrInvalidInput, "One counted share per detector is needed");
    if (!options.laneKinds.empty() && options.laneKinds.size() != static_cast<size_t>(n))
        throw SorvaneError(kErrInvalidInput, "One lane kind per detector is needed");

    std::vector<SyntheticDetector> day;
    day.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        double scale = options.volumeShare;
        if (!options.countedShare.empty()) scale *= options.countedShare[static_cast<size_t>(i)];
        Lane lane;
        if (options.laneSeed == 0) {
            lane = laneOf(random);
        } else {
            Random ownLane(options.laneSeed * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(i));
            lane = laneOf(ownLane);
            scale *= random.uniform(0.98, 1.02);
        }
        std::vector<Slot> slots = healthyDay(lane, scale, random);
        Fault fault = faults[static_cast<size_t>(i)];
        applyFault(fault, slots, random);
        if (!options.laneKinds.empty() && isRamp(options.laneKinds[static_cast<size_t>(i)])) {
            // The mainline day above is drawn all the same, so the lanes after keep theirs.
            Random own(options.seed * 0xBF58476D1CE4E5B9ull + static_cast<uint64_t>(i) + 1);
            slots = rampDay(options.laneKinds[static_cast<size_t>(i)], lane, scale, own);
            applyFault(fault, slots, own);
        }
        bool c30 = options.occupancy == OccEncoding::C30 ||
                   (options.occupancy == OccEncoding::Mixed && random.uniform() < 0.5);
        day.push_back(
            encode(static_cast<int16_t>(options.firstDetector + i), fault, c30, slots, random));
    }
    for (auto [a, b] : options.swaps) {
        SyntheticDetector& x = day.at(static_cast<size_t>(a));
        SyntheticDetector& y = day.at(static_cast<size_t>(b));
        std::swap(x.volume, y.volume);
        std::swap(x.occupancy, y.occupancy);
        std::swap(x.c30, y.c30);
    }
    for (const SilentSpan& span : options.silences) {
        for (int at : span.detectors) {
            SyntheticDetector& d = day.at(static_cast<size_t>(at));
            for (int i = std::max(0, span.firstSlot); i <= std::min(kSlots - 1, span.lastSlot);
                 ++i) {
                d.volume[static_cast<size_t>(i)] = 255;
                putOccupancy(d.occupancy, i, -1);
            }
        }
    }
    if (options.feedOutage) applyFeedOutage(*options.feedOutage, options.seed, day);
    return day;
}

double laneDemandFactor(uint64_t laneSeed, int position) {
    Random ownLane(laneSeed * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(position));
    return laneOf(ownLane).demandFactor;
}

std::vector<ArchiveMember> archiveMembers(const std::vector<SyntheticDetector>& day,
                                          MemberOrder order) {
    auto volumeMember = [](const SyntheticDetector& d) {
        return ArchiveMember{std::to_string(d.number) + ".v30", d.volume};
    };
    auto occupancyMember = [](const SyntheticDetector& d) {
        return ArchiveMember{std::to_string(d.number) + (d.c30 ? ".c30" : ".o30"), d.occupancy};
    };
    std::vector<ArchiveMember> members;
    members.reserve(2 * day.size());
    if (order == MemberOrder::Grouped) {
        for (const SyntheticDetector& d : day) {
            members.push_back(volumeMember(d));
            members.push_back(occupancyMember(d));
        }
    } else {
        for (const SyntheticDetector& d : day)
            members.push_back(volumeMember(d));
        for (const SyntheticDetector& d : day)
            members.push_back(occupancyMember(d));
    }
    return members;
}

}  // namespace sorvane::synth
