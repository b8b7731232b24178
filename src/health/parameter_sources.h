#pragma once

#include <optional>
#include <string>
#include <vector>

#include "health/health_parameters.h"

namespace sorvane {

// Where the parameters of a run that no window steers come from (the command line's health
// test and its ledger). They apply in this order: the factory values, then the "Param" section
// of a settings file (a key that is missing or empty there keeps the value before it), then
// each assignment.
struct ParameterSources {
    std::optional<std::string> settingsFile;  // named on purpose: it must be there and readable
    std::string defaultSettingsFile;          // read when no file is named and this one is there
    std::vector<std::string> assignments;     // "KEY=VALUE" (--set), a key in any letter case
};

// The twelve texts, and whether the named settings file lacked the "Param" section (its values
// then are the factory ones, which the user should hear of).
struct ResolvedParameters {
    HealthParameterTexts texts;
    bool namedFileHasNoSection = false;
};

// Throws SorvaneError: kErrFileRead when the named settings file cannot be read,
// kErrInvalidInput for an assignment without '=' or with an unknown key, and for a default
// settings file that is there but cannot be read (only one that is not there is passed over).
ResolvedParameters resolveParameterTexts(const ParameterSources& sources);

// The values as the ledger records them: "Key=Value" pairs joined by ';', in the settings
// file's key order.
std::string parameterSummary(const HealthParameterTexts& texts);

}  // namespace sorvane
