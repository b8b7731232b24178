#include "health/lane_parameters.h"

#include <unistd.h>

#include <vector>

#include "common/error.h"
#include "health/parameter_sources.h"
#include "health/settings_file.h"

namespace sorvane {

namespace {

SorvaneError refused(const modUtility::SettingsFile& settings, const std::string& section,
                     const std::string& what) {
    return SorvaneError(kErrInvalidInput, "In the settings file " + settings.path() +
                                              ", the section [" + section + "] " + what + ".");
}

}  // namespace

std::string laneSectionName(LaneType type) {
    return std::string(kLaneSectionPrefix) + std::string(laneTypeName(type));
}

LaneParameterError::LaneParameterError(LaneType type, const modBaddet::HealthParameterError& error)
    : modBaddet::HealthParameterError(error), type_(type) {}

modBaddet::HealthSnapshot takeLaneSnapshot(LaneType type, const HealthParameterTexts& texts) {
    try {
        return modBaddet::takeHealthSnapshot(texts);
    } catch (const modBaddet::HealthParameterError& e) {
        throw LaneParameterError(type, e);
    }
}

LaneSections readLaneSections(const modUtility::SettingsFile& settings) {
    LaneSections sections;
    for (const modUtility::SettingsSection& section :
         settings.ReadSectionsStartingWith(kLaneSectionPrefix)) {
        std::string_view typeName =
            std::string_view(section.name).substr(kLaneSectionPrefix.size());
        std::optional<LaneType> type = findLaneType(typeName);
        if (!type) {
            std::string names;
            for (std::string_view n : kLaneTypeNames)
                names += (names.empty() ? "" : ", ") + std::string(n);
            throw refused(settings, section.name,
                          "names no lane type; the lane types are " + names);
        }
        std::optional<HealthParameterTexts>& texts = sections[static_cast<size_t>(*type)];
        if (texts) continue;  // a second section of the lane type
        texts.emplace();
        std::array<bool, kHealthParamCount> seen{};
        for (const auto& [key, value] : section.entries) {
            std::optional<HealthParam> p = findHealthParameter(key);
            if (!p)
                throw refused(settings, section.name,
                              "holds \"" + key + "\", which is no parameter");
            if (*p >= kLaneParamCount) {
                throw refused(settings, section.name,
                              "holds " + std::string(kHealthParameters[*p].key) +
                                  ", which only [Param] may hold");
            }
            if (seen[*p]) continue;
            seen[*p] = true;
            (*texts)[*p] = value;
        }
    }
    return sections;
}

LaneSections resolveLaneSections(const ParameterSources& sources) {
    if (sources.settingsFile)
        return readLaneSections(modUtility::SettingsFile(*sources.settingsFile));
    if (!sources.defaultSettingsFile.empty() &&
        ::access(sources.defaultSettingsFile.c_str(), F_OK) == 0) {
        return readLaneSections(modUtility::SettingsFile(sources.defaultSettingsFile));
    }
    return factoryLaneSections();
}

HealthParameterTexts laneParameterTexts(const HealthParameterTexts& param,
                                        const std::optional<HealthParameterTexts>& section) {
    HealthParameterTexts texts = param;
    if (!section) return texts;
    for (size_t i = 0; i < kLaneParamCount; ++i)
        if (!(*section)[i].empty()) texts[i] = (*section)[i];
    return texts;
}

LaneSections factoryLaneSections() {
    LaneSections sections;
    for (const FactoryLaneValue& v : kFactoryLaneValues) {
        std::optional<HealthParameterTexts>& texts = sections[static_cast<size_t>(v.type)];
        if (!texts) texts.emplace();
        (*texts)[v.parameter] = v.value;
    }
    return sections;
}

void saveFactoryLaneSections(const modUtility::SettingsFile& settings) {
    const LaneSections sections = factoryLaneSections();
    for (size_t t = 0; t < kLaneTypeCount; ++t) {
        if (!sections[t]) continue;
        std::vector<modUtility::SettingsEntry> entries;
        for (size_t i = 0; i < kLaneParamCount; ++i)
            if (!(*sections[t])[i].empty())
                entries.emplace_back(kHealthParameters[i].key, (*sections[t])[i]);
        settings.WriteSettings(entries,
                               std::string(kLaneSectionPrefix) + std::string(kLaneTypeNames[t]));
    }
}

}  // namespace sorvane
