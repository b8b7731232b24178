#include "health/parameter_sources.h"

#include <unistd.h>

#include "common/error.h"
#include "common/numeric.h"
#include "common/text_file.h"
#include "health/settings_file.h"

namespace sorvane {

namespace {

// The "Param" values of a settings file; empty or missing keys keep what `texts` holds.
void applySettingsFile(const std::string& path, HealthParameterTexts& texts) {
    modUtility::SettingsFile settings(path);
    HealthParameterTexts fromFile = loadHealthParameters(settings);
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        if (!fromFile[i].empty()) texts[i] = fromFile[i];
    }
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

HealthParameterTexts resolveParameterTexts(const ParameterSources& sources) {
    HealthParameterTexts texts = factoryParameterTexts();
    if (sources.settingsFile) {
        readWholeFile(*sources.settingsFile);  // a file named on purpose must be there
        applySettingsFile(*sources.settingsFile, texts);
    } else if (!sources.defaultSettingsFile.empty() &&
               ::access(sources.defaultSettingsFile.c_str(), F_OK) == 0) {
        applySettingsFile(sources.defaultSettingsFile, texts);
    }
    for (const std::string& assignment : sources.assignments)
        applyAssignment(assignment, texts);
    return texts;
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
