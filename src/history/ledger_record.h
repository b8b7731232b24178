#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "health/daily_status.h"
#include "health/health_classify.h"

namespace sorvane::history {

// To whom a detector-day's verdict is owed: the detector itself, or an outage that took its data:
// of the whole feed, of its controller or of its station. None for marginal, healthy and excluded
// detector-days.
enum class Attribution { None, Detector, FeedOutage, ControllerOutage, StationOutage };

// Owed to an outage of the feed, a controller or a station: not the detector's own verdict.
inline bool isOwedToOutage(Attribution a) {
    return a == Attribution::FeedOutage || a == Attribution::ControllerOutage ||
           a == Attribution::StationOutage;
}

// The stored name: "", "detector", "feed_outage", "controller_outage" or "station_outage".
std::string_view attributionName(Attribution attribution);

// A run of consecutive slots that most of a day's tested detectors miss.
struct FeedOutage {
    int firstSlot = 0;
    int lastSlot = 0;
    double share = 0.0;  // the lowest share of missing detectors among its slots
};

// A run of consecutive slots that all tested detectors of one controller or one station miss.
struct UnitOutage {
    enum class Kind { Controller, Station };
    Kind kind = Kind::Station;
    std::string unit;  // the controller's or the station's identifier
    int firstSlot = 0;
    int lastSlot = 0;

    bool operator==(const UnitOutage&) const = default;
};

// The stored kind: "controller" or "station".
std::string_view unitKindName(UnitOutage::Kind kind);

// One detector's day in the ledger (a row of detector_days).
struct DetectorDayRecord {
    std::string date;  // YYYY-MM-DD
    int16_t det = 0;
    modBaddet::HealthClass healthClass = modBaddet::HealthClass::Hlth;
    modBaddet::DecisionStep step = modBaddet::DecisionStep::Healthy;
    std::string reason;    // as the report has it
    std::string listLine;  // as the lists have it; empty where they show none
    // Absent for unreadable and excluded detectors.
    std::optional<modBaddet::HealthMeasures> measures;
    std::optional<int> outageMissing;  // missing slots that were feed-outage slots
    std::optional<DailyStatus> status;
    Attribution attribution = Attribution::None;
    // Over slots 600 to 2639: the sum of the volume bytes below 128 and their number. Absent
    // for unreadable and excluded detectors.
    std::optional<int32_t> daytimeVolume = std::nullopt;
    std::optional<int32_t> daytimeValid = std::nullopt;
};

// One day of the ledger: a row of days, its detectors and its feed and unit outages.
struct DayRecord {
    std::string date;  // YYYY-MM-DD
    std::string archive;
    int detectors = 0;       // the archive's detCount
    std::string parameters;  // "Key=Value;..." in the settings file's key order
    std::string testedAt;    // UTC, YYYY-MM-DDThh:mm:ssZ
    std::vector<DetectorDayRecord> rows;
    std::vector<FeedOutage> outages;
    // The archive's size and the SHA-256 of its central directory, as archiveFingerprint gives
    // them; absent for days recorded before the ledger kept them.
    std::optional<int64_t> archiveSize = std::nullopt;
    std::optional<std::string> archiveFingerprint = std::nullopt;
    // The lane-type parameter sets some detector was tested with, "type:Key=Value,...;..."
    // (empty when none), and the day's controller and station outages.
    std::string laneParameters = {};
    std::vector<UnitOutage> unitOutages = {};
};

}  // namespace sorvane::history
