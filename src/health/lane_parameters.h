#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "health/health_parameters.h"
#include "health/health_snapshot.h"
#include "health/lane_types.h"

namespace sorvane {

namespace modUtility {
class SettingsFile;
}

// A lane type's thresholds live in the settings section "Param.<lane type>" (e.g. [Param.queue]),
// which may hold any of the first ten keys of [Param]; the detector range stays in [Param].
constexpr std::string_view kLaneSectionPrefix = "Param.";
constexpr size_t kLaneParamCount = kDetNoFrom;

// What each lane type's section holds (a key it lacks: empty); nullopt for a lane type without a
// section.
using LaneSections = std::array<std::optional<HealthParameterTexts>, kLaneTypeCount>;

// The lane-type sections of a settings file; the first of two sections of one lane type counts,
// as does the first of two lines of one key. Throws SorvaneError: kErrFileRead when the file
// cannot be read, kErrInvalidInput naming the section for a lane type that is none, for
// DetNoFrom or DetNoTo, or for a key that is no parameter.
LaneSections readLaneSections(const modUtility::SettingsFile& settings);

// The lane-type sections of the settings file that `sources` choose (parameter_sources.h): the
// named file's, else the default file's when it is there, else the factory sections. Throws
// SorvaneError as readLaneSections does.
struct ParameterSources;
LaneSections resolveLaneSections(const ParameterSources& sources);

// A lane type's twelve texts: its section's, and [Param]'s for each key the section lacks or
// leaves empty (and for the detector range).
HealthParameterTexts laneParameterTexts(const HealthParameterTexts& param,
                                        const std::optional<HealthParameterTexts>& section);

// The settings section of a lane type: "Param.queue".
std::string laneSectionName(LaneType type);

// A lane type's text that the test cannot use.
class LaneParameterError : public modBaddet::HealthParameterError {
  public:
    LaneParameterError(LaneType type, const modBaddet::HealthParameterError& error);
    LaneType laneType() const { return type_; }

  private:
    LaneType type_;
};

// The lane type's texts converted for a run. Throws LaneParameterError for the first text that
// cannot be used.
modBaddet::HealthSnapshot takeLaneSnapshot(LaneType type, const HealthParameterTexts& texts);

// The factory lane-type sections: the thresholds by which established traffic management
// systems fail a detector of each lane type (long quiet hours on ramps and special lanes, long
// stops over queue and merge detectors).
struct FactoryLaneValue {
    LaneType type;
    HealthParam parameter;
    std::string_view value;
};
inline constexpr auto kFactoryLaneValues = std::to_array<FactoryLaneValue>({
    {LaneType::Auxiliary, kConsecZeroVolMin, "24"},
    {LaneType::Hov, kConsecZeroVolMin, "8"},
    {LaneType::Hot, kConsecZeroVolMin, "8"},
    {LaneType::Shoulder, kConsecZeroVolMin, "72"},
    {LaneType::Reversible, kConsecZeroVolMin, "72"},
    {LaneType::Merge, kConsecZeroVolMin, "12"},
    {LaneType::Merge, kLockOnMin, "30"},
    {LaneType::Queue, kConsecZeroVolMin, "12"},
    {LaneType::Queue, kLockOnMin, "30"},
    {LaneType::Passage, kConsecZeroVolMin, "12"},
    {LaneType::Passage, kLockOnMin, "30"},
    {LaneType::Bypass, kConsecZeroVolMin, "72"},
    {LaneType::Bypass, kLockOnMin, "30"},
    {LaneType::Green, kConsecZeroVolMin, "72"},
    {LaneType::Green, kLockOnMin, "30"},
    {LaneType::Exit, kConsecZeroVolMin, "8"},
    {LaneType::Exit, kLockOnMin, "30"},
    {LaneType::Parking, kConsecZeroVolMin, "336"},
    {LaneType::Parking, kLockOnMin, "20160"},
});

// The factory sections as read from a file that holds them.
LaneSections factoryLaneSections();

// Writes the factory sections, in lane-type order, into the settings file. Throws SorvaneError
// when the file cannot be read or written.
void saveFactoryLaneSections(const modUtility::SettingsFile& settings);

}  // namespace sorvane
