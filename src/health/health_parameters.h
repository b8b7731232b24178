#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

namespace modUtility {
class SettingsFile;
}

// One of the twelve health parameters: its settings key, the box that holds it on the
// parameter tab, the label beside that box, its group title, the unit label after the box,
// and its factory value.
struct HealthParameter {
    std::string_view key;
    std::string_view textBox;
    std::string_view caption;
    std::string_view groupTitle;
    std::string_view unitLabel;
    std::string_view factoryValue;
};

constexpr std::string_view kParamSection = "Param";

// The parameters in the order in which they are loaded, saved and restored.
enum HealthParam : size_t {
    kOccSpikeTh,
    kOccSpikeCountTh,
    kVolSpikeTh,
    kVolSpikeCountTh,
    kSuspTh,
    kMargTh,
    kMissingPercent,
    kConsecZeroVolMin,
    kLockOnMin,
    kCorCoeffTh,
    kDetNoFrom,
    kDetNoTo,
    kHealthParamCount
};

inline constexpr std::array<HealthParameter, kHealthParamCount> kHealthParameters{{
    {"OccSpikeTh", "txtOccTh", "Occ Spike Height   >=", "Occupancy Spike Test", "", "40"},
    {"OccSpikeCountTh", "txtOccctr", "Occ Spike Count   >=", "Occupancy Spike Test", "", "30"},
    {"VolSpikeTh", "txtVolth", "Vol Spike Height   >= ", "Volume Spike Test", "", "15"},
    {"VolSpikeCountTh", "txtVolctr", "Vol Spike Count   >=", "Volume Spike Test", "", "25"},
    {"SuspTh", "txtSuspTh", "Susp DevIndex   >=", "Deviation Index Test", "", "15"},
    {"MargTh", "txtMargTh", "Marginal DevIndex   >=", "Deviation Index Test", "", "12"},
    {"MissingPercent", "txtMissing", "Missing %   >=", "Missing/Consecutive Zero Vol Test", "",
     "20"},
    {"ConsecZeroVolMin", "txtConsecZero",
     "Consecutive invalid zeros  >=", "Missing/Consecutive Zero Vol Test", "hrs", "4"},
    {"LockOnMin", "txtLockOn", "Consecutive 100% Occ  >= ", "Lock On Test", "mins", "7"},
    {"CorCoeffTh", "txtCorcoeff", "Correlation Coeff   >=", "Pulse Mode Test", "", "0.9985"},
    {"DetNoFrom", "txtDetNoFrom", "Exclude tests from detectors in the range",
     "Exclude tests from detectors in the range", "", "4500"},
    {"DetNoTo", "txtDetNoTo", "<=  Detector #  <= ", "Exclude tests from detectors in the range",
     "", "4940"},
}};

// The twelve parameter texts, indexed by HealthParam.
using HealthParameterTexts = std::array<std::string, kHealthParamCount>;

// The parameter of a settings key, matched without regard to letter case as the settings file
// does.
std::optional<HealthParam> findHealthParameter(std::string_view key);

// The factory values.
HealthParameterTexts factoryParameterTexts();

// What the settings file holds for each key of section "Param" (empty when missing), read once;
// nullopt when the file has no section "Param". Throws SorvaneError when the file cannot be read.
std::optional<HealthParameterTexts> readHealthParameters(const modUtility::SettingsFile& settings);

// The same, with every text empty when the file or the section is missing. Throws SorvaneError
// when a file is there but cannot be read: the user must hear of it.
HealthParameterTexts loadHealthParameters(const modUtility::SettingsFile& settings);

// Writes every text under its key, in table order, with one writing of the file. Throws
// SorvaneError when the file cannot be read or written.
void saveHealthParameters(const modUtility::SettingsFile& settings,
                          const HealthParameterTexts& texts);

}  // namespace sorvane
