#include "health/health_parameters.h"

#include <algorithm>
#include <cctype>

#include "health/settings_file.h"

namespace sorvane {

std::optional<HealthParam> findHealthParameter(std::string_view key) {
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        std::string_view name = kHealthParameters[i].key;
        if (std::ranges::equal(name, key, {}, lower, lower)) return static_cast<HealthParam>(i);
    }
    return std::nullopt;
}

HealthParameterTexts factoryParameterTexts() {
    HealthParameterTexts texts;
    for (size_t i = 0; i < kHealthParamCount; ++i)
        texts[i] = kHealthParameters[i].factoryValue;
    return texts;
}

HealthParameterTexts loadHealthParameters(const modUtility::SettingsFile& settings) {
    HealthParameterTexts texts;
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        texts[i] = settings.ReadSetting(kHealthParameters[i].key, kParamSection);
    }
    return texts;
}

void saveHealthParameters(const modUtility::SettingsFile& settings,
                          const HealthParameterTexts& texts) {
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        settings.WriteSetting(kHealthParameters[i].key, texts[i], kParamSection);
    }
}

}  // namespace sorvane
