#include "health/parameter_sources.h"

#include "common/error.h"
#include "common/numeric.h"
#include "common/text_file.h"
#include "health/settings_file.h"

namespace sorvane {

namespace {

// The "Param" values of a settings file; empty or missing keys keep what `texts` holds. False
// when the file has no "Param" section. Throws SorvaneError when it cannot be read.
bool applySettingsFile(const std::string& path, HealthParameterTexts& texts) {
    std::optional<HealthParameterTexts> fromFile =
        readHealthParameters(modUtility::SettingsFile(path));
    if (!fromFile) return false;
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        if (!(*fromFile)[i].empty()) texts[i] = (*fromFile)[i];
    }
    return true;
}

void applyAssignment(const std::string& assignment, HealthParameterTexts& texts) {
    size_t eq = assignment.find('=');
    if (eq == std::string::npos) {
        throw SorvaneError(kErrInvalidInput, "--set needs KEY=VALUE, not \"" + assignment + "\"");
    }
    std::optional<HealthParam> p = findHealthParameter(trimBlanks(assignment.substr(0, eq)));
    if (!p) {
        std::string keys;
        for (const HealthParameter& hp : kHealthParameters)
            keys += (keys.empty() ? "" : ", ") + std::string(hp.key);
        throw SorvaneError(kErrInvalidInput, "Unknown parameter key \"" + assignment.substr(0, eq) +
                                                 "\"; the keys are " + keys);
    }
    texts[*p] = assignment.substr(eq + 1);
}

}  // namespace

ResolvedParameters resolveParameterTexts(const ParameterSources& sources) {
    ResolvedParameters resolved{factoryParameterTexts()};
    if (sources.settingsFile) {
        // A file named on purpose must be there and must hold the parameters.
        resolved.namedFileHasNoSection = !applySettingsFile(*sources.settingsFile, resolved.texts);
    } else if (!sources.defaultSettingsFile.empty() &&
               modUtility::SettingsFile(sources.defaultSettingsFile).isThere()) {
        // The factory values in place of the user's would give other results without a word.
        try {
            applySettingsFile(sources.defaultSettingsFile, resolved.texts);
        } catch (const SorvaneError& e) {
            throw SorvaneError(kErrInvalidInput,
                               e.description() +
                                   "; make it readable, or name another settings file with "
                                   "--settings FILE");
        }
    }
    for (const std::string& assignment : sources.assignments)
        applyAssignment(assignment, resolved.texts);
    return resolved;
}

std::string parameterSummary(const HealthParameterTexts& texts) {
    std::string summary;
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        if (i > 0) summary += ';';
        summary += kHealthParameters[i].key;
        summary += '=';
        summary += texts[i];
    }
    return summary;
}

}  // namespace sorvane
